#ifndef MAVOSCAN_COMMON_SIDE_TASK_H_
#define MAVOSCAN_COMMON_SIDE_TASK_H_

#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace mavoscan {

// Work run on a thread of its own beside the thread that starts it, which
// alone calls these methods. Only the starting thread shows progress and
// watches the keyboard, so the work must not use the console or keyboard
// of the Platform; to stop it early, the starter sets a flag the work
// checks now and then. The work is waited for at the latest when the task
// is destroyed.
//
// Out of memory on the work's thread (std::bad_alloc, or any exception) is
// carried over: Wait raises it again on the starting thread, where the
// program's entry turns it into an error. Starting the thread raises
// std::system_error when the system cannot start one.
class SideTask {
 public:
  // How often WaitPolling calls its `poll` while the work runs.
  static constexpr std::chrono::milliseconds kPollEvery{2};

  explicit SideTask(std::function<void()> work);
  ~SideTask();
  SideTask(const SideTask&) = delete;
  SideTask& operator=(const SideTask&) = delete;

  // Returns once the work has returned; raises what the work raised.
  void Wait();
  // Returns true once the work has returned, calling `poll` on this thread
  // about every kPollEvery meanwhile. Returns false as soon as `poll` does,
  // with the work possibly still running: stop it, then Wait.
  bool WaitPolling(const std::function<bool()>& poll);

 private:
  std::mutex mutex_;
  std::condition_variable finished_signal_;
  bool finished_ = false;
  std::exception_ptr raised_;  // what the work raised, until Wait takes it
  std::thread thread_;         // last: started once the rest is in place
};

}  // namespace mavoscan

#endif  // MAVOSCAN_COMMON_SIDE_TASK_H_
