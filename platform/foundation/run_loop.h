// Per-thread run loops with wake-up ports: a thread that runs its loop is
// woken by a message on any of its ports and calls the port's delegate there.
//
// A port's message carries no data; sending never waits, and messages sent
// while one is pending merge into it. Each run loop belongs to one thread:
// only that thread runs it, adds and removes its ports; any thread may send
// on a port.
#ifndef ZYLO_PLATFORM_FOUNDATION_RUN_LOOP_H_
#define ZYLO_PLATFORM_FOUNDATION_RUN_LOOP_H_

#include <chrono>
#include <functional>
#include <vector>

namespace foundation {

class Port {
 public:
  Port();
  ~Port();
  Port(const Port&) = delete;
  Port& operator=(const Port&) = delete;

  // Called on the run loop's thread once for every wake-up.
  void setDelegate(std::function<void()> handleMessage) { delegate_ = std::move(handleMessage); }
  // Wakes the port's run loop; never waits. Answers false when the message
  // could not be sent (then one is already pending).
  bool send();

  // For the run loop: a descriptor that is readable while a message is pending.
  int descriptor() const { return fd_; }
  // Takes the pending message and calls the delegate.
  void deliver();

 private:
  int fd_;
  std::function<void()> delegate_;
};

class RunLoop {
 public:
  // The calling thread's run loop, made on first use.
  static RunLoop& current();

  void addPort(Port& port);
  void removePort(Port& port);

  // Waits up to `timeout` for a port message or for one of `alsoWatch`
  // (descriptors the caller waits for too, such as standard input),
  // delivers every pending message and answers which of `alsoWatch` became
  // readable.
  std::vector<int> runOnce(std::chrono::milliseconds timeout, const std::vector<int>& alsoWatch = {});
  // Runs for `duration`, delivering messages as they come.
  void runFor(std::chrono::duration<double> duration);

 private:
  RunLoop() = default;
  std::vector<Port*> ports_;
};

}  // namespace foundation

#endif  // ZYLO_PLATFORM_FOUNDATION_RUN_LOOP_H_
