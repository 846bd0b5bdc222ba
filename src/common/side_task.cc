#include "common/side_task.h"

#include <utility>

namespace mavoscan {

SideTask::SideTask(std::function<void()> work)
    : thread_([this, work = std::move(work)] {
        work();
        std::lock_guard<std::mutex> lock(mutex_);
        finished_ = true;
        finished_signal_.notify_one();
      }) {}

void SideTask::Wait() {
  if (thread_.joinable()) thread_.join();
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
