#include "common/side_task.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <new>
#include <thread>

namespace mavoscan {
namespace {

// The work can only finish after the waiting thread has polled a few times,
// so WaitPolling must poll (on its own thread) instead of merely blocking.
TEST(SideTask, PollsOnTheWaitingThreadUntilTheWorkReturns) {
  std::atomic<int> polls{0};
  std::atomic<bool> work_done{false};
  SideTask task([&] {
    while (polls.load() < 3) std::this_thread::yield();
    work_done.store(true);
  });
  const std::thread::id waiter = std::this_thread::get_id();
  bool polled_elsewhere = false;
  EXPECT_TRUE(task.WaitPolling([&] {
    polled_elsewhere = polled_elsewhere || std::this_thread::get_id() != waiter;
    ++polls;
    return true;
  }));
  EXPECT_TRUE(work_done.load());
  EXPECT_GE(polls.load(), 3);
  EXPECT_FALSE(polled_elsewhere);
}

// A poll that says stop ends the wait at once, while the work still runs;
// the work then stops on the caller's flag and Wait returns.
TEST(SideTask, StopsWaitingWhenThePollSaysSo) {
  std::atomic<bool> stop{false};
  std::atomic<bool> saw_stop{false};
  SideTask task([&] {
    while (!stop.load()) std::this_thread::yield();
    saw_stop.store(true);
  });
  EXPECT_FALSE(task.WaitPolling([] { return false; }));
  EXPECT_FALSE(saw_stop.load());
  stop.store(true);
  task.Wait();
  EXPECT_TRUE(saw_stop.load());
}

// Work that has already returned needs no poll, and leaving the scope of a
// task waits for its work.
TEST(SideTask, FinishedWorkNeedsNoPollAndDestructionWaits) {
  SideTask quick([] {});
  quick.Wait();
  EXPECT_TRUE(quick.WaitPolling([] {
    ADD_FAILURE() << "polled after the work returned";
    return true;
  }));
  std::atomic<bool> done{false};
  {
    SideTask slow([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      done.store(true);
    });
  }
  EXPECT_TRUE(done.load());
}

// Memory that runs out on the work's thread reaches the thread that waits,
// by either way of waiting, instead of ending the program there.
TEST(SideTask, OutOfMemoryInTheWorkReachesTheWaiter) {
  for (const bool polling : {false, true}) {
    bool caught = false;
    try {
      SideTask task([] { throw std::bad_alloc(); });
      if (polling) {
        task.WaitPolling([] { return true; });
      } else {
        task.Wait();
      }
    } catch (const std::bad_alloc&) {
      caught = true;
    }
    EXPECT_TRUE(caught) << (polling ? "WaitPolling" : "Wait");
  }
}

}  // namespace
}  // namespace mavoscan
