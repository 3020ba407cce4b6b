// The turn passes in the order it was asked for, even to those that waited while its holder asks
// again at once: what keeps a client that floods the service from shutting the others out.
#include "device/turn_lock.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/wait.h"

namespace qx {
namespace {

// Whether the thread TID of this process sleeps (state S in its stat line).
bool Sleeps(pid_t tid) {
  std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
  std::string line;
  std::getline(stat, line);
  const std::size_t afterName = line.rfind(')');
  return afterName != std::string::npos && line.compare(afterName, 3, ") S") == 0;
}

TEST(TurnLock, WaitersGetTheTurnInTheOrderTheyAskedAheadOfTheHolderAskingAgain) {
  for (int waiters : {1, 2, 5}) {
    TurnLock turn;
    std::vector<int> order;  // written only by whoever holds the turn
    turn.lock();
    std::vector<std::thread> threads;
    for (int w = 1; w <= waiters; ++w) {
      std::atomic<pid_t> tid{0};
      threads.emplace_back([&, w] {
        tid = gettid();
        std::lock_guard<TurnLock> held(turn);
        order.push_back(w);
      });
      // Asleep in lock(): it has its place in the queue. The next asks after it.
      ASSERT_TRUE(test::WaitUntil([&] { return tid != 0 && Sleeps(tid); }, 10000, 1)) << "waiter " << w;
    }
    turn.unlock();
    turn.lock();
    order.push_back(0);
    turn.unlock();
    for (std::thread& t : threads) t.join();

    std::vector<int> expected;
    for (int w = 1; w <= waiters; ++w) expected.push_back(w);
    expected.push_back(0);
    EXPECT_EQ(order, expected) << waiters << " waiting";
  }
}

// Taken without its mutex when free and handed on under it when not: the two ways must never let
// two holders in at once, nor lose a waiter.
TEST(TurnLock, HoldsOneAtATimeWhetherTakenFreeOrHandedOver) {
  for (int threads : {2, 4, 8}) {
    TurnLock turn;
    long counter = 0;  // a plain count: two holders at once would lose increments
    int holders = 0;
    bool overlapped = false;
    constexpr int kRounds = 20000;
    std::vector<std::thread> all;
    for (int t = 0; t < threads; ++t)
      all.emplace_back([&] {
        for (int i = 0; i < kRounds; ++i) {
          std::lock_guard<TurnLock> held(turn);
          overlapped = overlapped || ++holders != 1;
          ++counter;
          --holders;
        }
      });
    for (std::thread& t : all) t.join();
    EXPECT_FALSE(overlapped) << threads << " threads";
    EXPECT_EQ(counter, long{threads} * kRounds) << threads << " threads";
  }
}

}  // namespace
}  // namespace qx
