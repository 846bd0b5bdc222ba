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
// A thread's work has no caller to hand a failure to, so an exception that
// leaves the work (out of memory) is kept and thrown again on the starting
// thread by Wait and by WaitPolling once the work has returned; it then
// reaches the program's entry as any failure of the starting thread does.
class SideTask {
 public:
  // How often WaitPolling calls its `poll` while the work runs.
  static constexpr std::chrono::milliseconds kPollEvery{2};

  explicit SideTask(std::function<void()> work);
  ~SideTask() { Join(); }
  SideTask(const SideTask&) = delete;
  SideTask& operator=(const SideTask&) = delete;

  // Returns once the work has returned; throws what left the work.
  void Wait();
  // Returns true once the work has returned, calling `poll` on this thread
  // about every kPollEvery meanwhile. Returns false as soon as `poll` does,
  // with the work possibly still running: stop it, then Wait.
  bool WaitPolling(const std::function<bool()>& poll);

 private:
  void Join();
  void RethrowFailure();

  std::mutex mutex_;
  std::condition_variable finished_signal_;
  bool finished_ = false;
  std::exception_ptr failure_;
  std::thread thread_;  // last: started once the rest is in place
};

}  // namespace mavoscan

#endif  // MAVOSCAN_COMMON_SIDE_TASK_H_
