// The hand-over from the network thread to the main thread. Everything that
// touches the flight data record runs on the main thread; the network thread
// queues the work, wakes the main loop and waits until the work has run, so
// messages are applied one at a time, in arrival order, never during a frame.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

namespace velmora {

class HandoverQueue {
 public:
  // wakeMain is called (on the posting thread) after each queued request; the
  // application passes a function that wakes its event loop.
  explicit HandoverQueue(std::function<void()> wakeMain);
  HandoverQueue(const HandoverQueue&) = delete;
  HandoverQueue& operator=(const HandoverQueue&) = delete;

  // Any thread except the main one: queue work, wake the main thread, block
  // until the work has run. An exception thrown by the work is rethrown here.
  // Returns false, without running the work, once Shutdown() has been called.
  bool RunOnMain(std::function<void()> work);

  // Main thread: run everything queued, in order; returns how many ran.
  std::size_t RunPending();

  // Main thread: waits up to timeout until work is queued; true if some is.
  bool WaitForWork(std::chrono::microseconds timeout);

  // Releases every blocked poster whose work has not started; work that is
  // running finishes first. Later RunOnMain calls return false at once.
  void Shutdown();
  bool IsShutDown() const;

 private:
  struct Request {
    std::function<void()> work;
    enum State { Queued, Running, Done, Dropped } state = Queued;
    std::exception_ptr failure;
  };

  std::function<void()> wakeMain_;
  mutable std::mutex mutex_;
  std::condition_variable posted_;  // main waits for work
  std::condition_variable settled_;  // posters wait for their request
  std::deque<std::shared_ptr<Request>> queue_;
  bool shutDown_ = false;
};

}  // namespace velmora
