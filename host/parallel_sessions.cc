#include "host/parallel_sessions.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace zylo::host {
namespace {

// What the sessions' threads ask of the main thread.
class MainThread {
 public:
  // On a session's thread: asks for the session's Idle and waits until it
  // has gone out.
  void idle(size_t session, uint8_t level) {
    Idle request{session, level};
    std::unique_lock guard(lock_);
    idles_.push_back(&request);
    asked_.notify_one();
    sent_.wait(guard, [&] { return request.sent; });
  }

  // On a session's thread, when its run has ended.
  void ended(size_t session) {
    std::lock_guard guard(lock_);
    ended_.push_back(session);
    asked_.notify_one();
  }

  // On the main thread: sends what the sessions ask for, in turn, until
  // every one of `threads` has ended; joins each.
  void serve(std::span<const std::unique_ptr<ScriptSession>> sessions, std::vector<std::thread>& threads,
             const SessionMessages& messages) {
    size_t running = threads.size();
    std::unique_lock guard(lock_);
    while (running > 0) {
      asked_.wait(guard, [&] { return !idles_.empty() || !ended_.empty(); });
      const std::vector<Idle*> idles = std::exchange(idles_, {});
      const std::vector<size_t> ended = std::exchange(ended_, {});
      guard.unlock();
      for (const Idle* request : idles) {
        ScriptSession& session = *sessions[request->session];
        // What the plug-in asks for during the Idle is that session's.
        RequestsGoTo to(&session.requests());
        messages.idle(request->level, session.id());
      }
      for (size_t session : ended) {
        threads[session].join();
        messages.sessionShutdown(sessions[session]->id());
        --running;
      }
      guard.lock();
      for (Idle* request : idles) request->sent = true;
      if (!idles.empty()) sent_.notify_all();
    }
  }

 private:
  struct Idle {
    size_t session;
    uint8_t level;
    bool sent = false;  // guarded by lock_
  };

  std::mutex lock_;
  std::condition_variable asked_;  // the main thread waits for requests
  std::condition_variable sent_;   // sessions wait for their Idle
  std::vector<Idle*> idles_;       // guarded by lock_; each owned by its waiting session
  std::vector<size_t> ended_;      // guarded by lock_
};

}  // namespace

int runInParallel(std::span<const std::unique_ptr<ScriptSession>> sessions, const std::u16string& parameter,
                  double waitSeconds, const SessionMessages& messages) {
  MainThread mainThread;
  std::vector<int> statuses(sessions.size(), 0);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < sessions.size(); ++i) {
    threads.emplace_back([&, i] {
      statuses[i] = sessions[i]->run(parameter, waitSeconds,
                                     [&, i](uint8_t level) { mainThread.idle(i, level); });
      mainThread.ended(i);
    });
  }
  mainThread.serve(sessions, threads, messages);
  return statuses.empty() ? 0 : *std::max_element(statuses.begin(), statuses.end());
}

}  // namespace zylo::host
