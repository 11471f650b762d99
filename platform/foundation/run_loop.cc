#include "platform/foundation/run_loop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace foundation {

Port::Port() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

Port::~Port() {
  if (fd_ >= 0) ::close(fd_);
}

bool Port::send() {
  const uint64_t one = 1;
  return ::write(fd_, &one, sizeof one) == static_cast<ssize_t>(sizeof one);
}

void Port::deliver() {
  uint64_t pending;
  if (::read(fd_, &pending, sizeof pending) != static_cast<ssize_t>(sizeof pending)) return;
  if (delegate_) delegate_();
}

RunLoop& RunLoop::current() {
  static thread_local RunLoop loop;
  return loop;
}

void RunLoop::addPort(Port& port) {
  if (std::find(ports_.begin(), ports_.end(), &port) == ports_.end()) ports_.push_back(&port);
}

void RunLoop::removePort(Port& port) { std::erase(ports_, &port); }

std::vector<int> RunLoop::runOnce(std::chrono::milliseconds timeout, const std::vector<int>& alsoWatch) {
  std::vector<pollfd> fds;
  for (Port* port : ports_) fds.push_back({port->descriptor(), POLLIN, 0});
  for (int fd : alsoWatch) fds.push_back({fd, POLLIN, 0});
  std::vector<int> ready;
  const int waitMs = static_cast<int>(std::clamp<int64_t>(timeout.count(), -1, 1 << 30));
  if (::poll(fds.data(), fds.size(), waitMs) <= 0) return ready;
  // A delegate may remove ports: deliver to the ones still added.
  const std::vector<Port*> ports = ports_;
  for (size_t i = 0; i < ports.size(); ++i) {
    if ((fds[i].revents & POLLIN) && std::find(ports_.begin(), ports_.end(), ports[i]) != ports_.end()) {
      ports[i]->deliver();
    }
  }
  for (size_t i = ports.size(); i < fds.size(); ++i) {
    if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) ready.push_back(fds[i].fd);
  }
  return ready;
}

void RunLoop::runFor(std::chrono::duration<double> duration) {
  using Clock = std::chrono::steady_clock;
  const auto until = Clock::now() + std::chrono::duration_cast<Clock::duration>(duration);
  for (auto now = Clock::now(); now < until; now = Clock::now()) {
    runOnce(std::chrono::ceil<std::chrono::milliseconds>(until - now));
  }
}

}  // namespace foundation
