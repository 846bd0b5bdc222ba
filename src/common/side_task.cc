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
  // Dropped while the starting thread unwinds from its own exception, which
  // the entry reports; otherwise the work's results would be taken as
  // complete, which they are not.
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
