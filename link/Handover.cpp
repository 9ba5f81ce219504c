// Main-thread hand-over queue.
#include "link/Handover.h"

#include <utility>

namespace velmora {

HandoverQueue::HandoverQueue(std::function<void()> wakeMain) : wakeMain_(std::move(wakeMain)) {}

bool HandoverQueue::RunOnMain(std::function<void()> work) {
  auto request = std::make_shared<Request>();
  request->work = std::move(work);
  {
    std::lock_guard lock(mutex_);
    if (shutDown_) return false;
    queue_.push_back(request);
  }
  posted_.notify_all();
  if (wakeMain_) wakeMain_();

  std::unique_lock lock(mutex_);
  settled_.wait(lock, [&] {
    return request->state == Request::Done || request->state == Request::Dropped;
  });
  if (request->state == Request::Dropped) return false;
  if (request->failure) std::rethrow_exception(request->failure);
  return true;
}

std::size_t HandoverQueue::RunPending() {
  std::size_t ran = 0;
  for (;;) {
    std::shared_ptr<Request> request;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) break;
      request = std::move(queue_.front());
      queue_.pop_front();
      request->state = Request::Running;
    }
    try {
      request->work();
    } catch (...) {
      request->failure = std::current_exception();
    }
    // The work may hold references into the poster's stack: release it
    // before the poster is allowed to return.
    request->work = nullptr;
    {
      std::lock_guard lock(mutex_);
      request->state = Request::Done;
    }
    settled_.notify_all();
    ++ran;
  }
  return ran;
}

bool HandoverQueue::WaitForWork(std::chrono::microseconds timeout) {
  std::unique_lock lock(mutex_);
  return posted_.wait_for(lock, timeout, [&] { return !queue_.empty(); });
}

void HandoverQueue::Shutdown() {
  {
    std::lock_guard lock(mutex_);
    shutDown_ = true;
    for (auto& request : queue_) {
      request->state = Request::Dropped;
      request->work = nullptr;
    }
    queue_.clear();
  }
  settled_.notify_all();
  posted_.notify_all();
}

bool HandoverQueue::IsShutDown() const {
  std::lock_guard lock(mutex_);
  return shutDown_;
}

}  // namespace velmora
