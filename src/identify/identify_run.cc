#include "identify/identify_run.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <utility>

#include "common/side_task.h"

namespace mavoscan {
namespace {

// How many files per thread may wait to be done or written: enough that a
// slow file does not idle the other threads, few enough that memory stays
// small.
constexpr size_t kAheadPerThread = 32;

struct Job {
  FileIdentity identity;
  bool taken = false;
  bool done = false;
};

// The files between the last one written and the last one taken from the
// input. Jobs are taken in order by whichever thread is free; the calling
// thread alone adds paths and writes results. A deque keeps each job where
// it is while others are added and removed at the ends.
class JobWindow {
 public:
  explicit JobWindow(size_t capacity) : capacity_(capacity) {}

  bool HasRoom() {
    std::lock_guard<std::mutex> lock(mutex_);
    return jobs_.size() < capacity_;
  }
  void Add(std::string path) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      jobs_.emplace_back();
      jobs_.back().identity.path = std::move(path);
    }
    work_signal_.notify_one();
  }
  bool Empty() {
    std::lock_guard<std::mutex> lock(mutex_);
    return jobs_.empty();
  }
  // The finished jobs at the front, removed.
  std::vector<FileIdentity> TakeDone() {
    std::vector<FileIdentity> done;
    std::lock_guard<std::mutex> lock(mutex_);
    while (!jobs_.empty() && jobs_.front().done) {
      done.push_back(std::move(jobs_.front().identity));
      jobs_.pop_front();
      --next_;
    }
    return done;
  }
  // The next job nobody has taken, or null; with `wait`, waits for one
  // (null once the window is closed).
  Job* Take(bool wait) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (wait) {
      work_signal_.wait(lock, [&] { return closed_ || next_ < jobs_.size(); });
    }
    if (closed_ || next_ >= jobs_.size()) return nullptr;
    Job* job = &jobs_[next_++];
    job->taken = true;
    return job;
  }
  void Finish(Job* job) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      job->done = true;
    }
    done_signal_.notify_all();
  }
  // Waits until the front job is done or a helper thread has left.
  void WaitFront() {
    std::unique_lock<std::mutex> lock(mutex_);
    done_signal_.wait(lock, [&] {
      return jobs_.empty() || jobs_.front().done || helper_left_;
    });
  }
  // Called by a helper thread on its way out, normal or not.
  void HelperLeft() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      helper_left_ = true;
    }
    done_signal_.notify_all();
  }
  // True when a helper left before the window was closed: its work failed
  // (out of memory), and the job it held will never be done.
  bool HelperFailed() {
    std::lock_guard<std::mutex> lock(mutex_);
    return helper_left_ && !closed_;
  }
  // No more jobs are handed out; waiting workers return.
  void Close() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      closed_ = true;
    }
    work_signal_.notify_all();
  }

 private:
  const size_t capacity_;
  std::mutex mutex_;
  std::condition_variable work_signal_;
  std::condition_variable done_signal_;
  std::deque<Job> jobs_;
  // Index in jobs_ of the first job not taken.
  size_t next_ = 0;
  bool closed_ = false;
  bool helper_left_ = false;
};

void Run(Platform& platform, Identifier& identifier, Job* job) {
  FileIdentity& identity = job->identity;
  int64_t size = -1;
  if (!identifier.IdentifyFile(platform, identity.path, &size,
                               &identity.matches, &identity.error)) {
    identity.matches.clear();
  }
  if (size >= 0) identity.size = size;
}

// Tells the window that a helper thread has left, however it leaves.
class LeaveNotice {
 public:
  explicit LeaveNotice(JobWindow& window) : window_(window) {}
  ~LeaveNotice() { window_.HelperLeft(); }
  LeaveNotice(const LeaveNotice&) = delete;
  LeaveNotice& operator=(const LeaveNotice&) = delete;

 private:
  JobWindow& window_;
};

// Closes the window on every way out, before the helper threads are
// joined, so that none of them waits for work forever.
class Closer {
 public:
  explicit Closer(JobWindow& window) : window_(window) {}
  ~Closer() { window_.Close(); }
  Closer(const Closer&) = delete;
  Closer& operator=(const Closer&) = delete;

 private:
  JobWindow& window_;
};

}  // namespace

bool IdentifyFiles(Platform& platform, const IdentifyLibrary& library,
                   int threads, const PathSource& next,
                   const IdentitySink& emit) {
  if (threads < 1) threads = 1;
  JobWindow window(kAheadPerThread * static_cast<size_t>(threads));
  std::vector<std::unique_ptr<SideTask>> helpers;
  Closer closer(window);
  for (int i = 1; i < threads; ++i) {
    helpers.push_back(
        std::make_unique<SideTask>([&platform, &library, &window] {
          LeaveNotice notice(window);
          Identifier identifier(library);
          while (Job* job = window.Take(/*wait=*/true)) {
            Run(platform, identifier, job);
            window.Finish(job);
          }
        }));
  }

  Identifier identifier(library);
  bool input_left = true;
  std::string path;
  for (;;) {
    if (window.HelperFailed()) break;
    while (input_left && window.HasRoom()) {
      input_left = next(&path);
      if (input_left) window.Add(std::move(path));
    }
    std::vector<FileIdentity> done = window.TakeDone();
    if (!done.empty() && !emit(done)) return false;
    if (!input_left && window.Empty()) break;
    if (Job* job = window.Take(/*wait=*/false)) {
      Run(platform, identifier, job);
      window.Finish(job);
    } else if (done.empty()) {
      window.WaitFront();
    }
  }
  window.Close();
  // Throws what made a helper leave early, as the calling thread's own
  // failure.
  for (std::unique_ptr<SideTask>& helper : helpers) helper->Wait();
  return true;
}

}  // namespace mavoscan
