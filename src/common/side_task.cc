#include "common/side_task.h"

#include <utility>

namespace mavoscan {

SideTask::SideTask(std::function<void()> work)
    : thread_([this, work = std::move(work)] {
        std::exception_ptr failure;
        try {
          work();
        } catch (...) {
          failure = std::current_exception();
        }
        std::lock_guard<std::mutex> lock(mutex_);
        failure_ = failure;
        finished_ = true;
        finished_signal_.notify_one();
      }) {}

void SideTask::Join() {
  if (thread_.joinable()) thread_.join();
}

void SideTask::RethrowFailure() {
  if (failure_ == nullptr) return;
  std::exception_ptr failure = failure_;
  failure_ = nullptr;
  std::rethrow_exception(failure);
}

void SideTask::Wait() {
  Join();
  RethrowFailure();
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
  lock.unlock();
  Join();
  RethrowFailure();
  return true;
}

}  // namespace mavoscan
