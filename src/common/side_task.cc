#include "common/side_task.h"

#include <utility>

namespace mavoscan {

SideTask::SideTask(std::function<void()> work)
    : thread_([this, work = std::move(work)] {
        // An exception must not leave a thread: the process would end.
        try {
          work();
        } catch (...) {
          raised_ = std::current_exception();
        }
        std::lock_guard<std::mutex> lock(mutex_);
        finished_ = true;
        finished_signal_.notify_one();
      }) {}

SideTask::~SideTask() {
  if (thread_.joinable()) thread_.join();
  // What the work raised and no Wait took is dropped while this thread
  // unwinds from a failure of its own, which the entry reports. Otherwise
  // the work's results, incomplete, would pass for whole: the process ends
  // as it would have on the work's thread.
  if (raised_ != nullptr && std::uncaught_exceptions() == 0) std::terminate();
}

void SideTask::Wait() {
  if (thread_.joinable()) thread_.join();
  if (raised_ != nullptr) std::rethrow_exception(std::exchange(raised_, {}));
}

bool SideTask::WaitPolling(const std::function<bool()>& poll) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!finished_signal_.wait_for(lock, kPollEvery,
                                    [this] { return finished_; })) {
    // `poll` may take a while (it writes to the console): the work must be
    // able to finish meanwhile.
    lock.unlock();
    const bool go_on = poll();
    lock.lock();
    if (!go_on) return false;
  }
  return true;
}

}  // namespace mavoscan
