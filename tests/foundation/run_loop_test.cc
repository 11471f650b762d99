// Ports wake their run loop from any thread; messages merge; a removed port
// is not delivered to.
#include <gtest/gtest.h>

#include <unistd.h>

#include <thread>

#include "platform/foundation/run_loop.h"

namespace foundation {
namespace {

using namespace std::chrono_literals;

TEST(RunLoop, PortMessagesFromAnotherThreadWakeItAndMerge) {
  Port port;
  int delivered = 0;
  port.setDelegate([&] { ++delivered; });
  RunLoop::current().addPort(port);
  std::thread([&] {
    EXPECT_TRUE(port.send());
    port.send();
  }).join();
  RunLoop::current().runOnce(1000ms);
  EXPECT_EQ(delivered, 1);
  RunLoop::current().runOnce(10ms);
  EXPECT_EQ(delivered, 1);
  RunLoop::current().removePort(port);
  port.send();
  RunLoop::current().runOnce(10ms);
  EXPECT_EQ(delivered, 1);
}

TEST(RunLoop, AnswersWhichOtherDescriptorsBecameReadable) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  EXPECT_TRUE(RunLoop::current().runOnce(0ms, {fds[0]}).empty());
  ASSERT_EQ(::write(fds[1], "x", 1), 1);
  EXPECT_EQ(RunLoop::current().runOnce(1000ms, {fds[0]}), std::vector<int>{fds[0]});
  ::close(fds[0]);
  ::close(fds[1]);
}

TEST(RunLoop, EachThreadHasItsOwn) {
  RunLoop* mine = &RunLoop::current();
  RunLoop* theirs = nullptr;
  std::thread([&] { theirs = &RunLoop::current(); }).join();
  EXPECT_NE(mine, theirs);
}

}  // namespace
}  // namespace foundation
