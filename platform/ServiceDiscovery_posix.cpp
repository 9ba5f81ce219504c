// DNS-SD on Linux: Avahi's client library, opened with dlopen so that the
// display neither needs it to start nor to be built. The few types and entry
// points used are Avahi's stable ABI (libavahi-client.so.3,
// libavahi-common.so.3), declared here.
#include "platform/ServiceDiscovery.h"

#include <dlfcn.h>
#include <sys/time.h>

#include <cstdint>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace velmora::platform {
namespace {

// Opaque Avahi objects and the enum values this file uses.
struct AvahiClient;
struct AvahiEntryGroup;
struct AvahiTimeout;
// The poll's table of entry points, laid out as avahi-common/watch.h has it;
// only the timer ones are used.
struct AvahiPoll {
  void* userdata;
  void* watchNew;
  void* watchUpdate;
  void* watchGetEvents;
  void* watchFree;
  AvahiTimeout* (*timeoutNew)(const AvahiPoll*, const timeval*, void (*)(AvahiTimeout*, void*), void*);
  void (*timeoutUpdate)(AvahiTimeout*, const timeval*);
  void (*timeoutFree)(AvahiTimeout*);
};
struct AvahiThreadedPoll;
struct AvahiStringList;
constexpr int kIfUnspec = -1, kProtoUnspec = -1;
constexpr int kClientRegistering = 1, kClientRunning = 2, kClientCollision = 3, kClientFailure = 100,
              kClientConnecting = 101;
constexpr int kGroupEstablished = 2, kGroupCollision = 3, kGroupFailure = 4;
constexpr int kClientNoFail = 2;
constexpr int kErrCollision = -8, kErrDisconnected = -23, kErrNoDaemon = -26;

using ClientCallback = void (*)(AvahiClient*, int state, void* user);
using GroupCallback = void (*)(AvahiEntryGroup*, int state, void* user);

struct AvahiApi {
  void* client = nullptr;
  void* common = nullptr;
  AvahiThreadedPoll* (*threadedPollNew)();
  const AvahiPoll* (*threadedPollGet)(AvahiThreadedPoll*);
  int (*threadedPollStart)(AvahiThreadedPoll*);
  int (*threadedPollStop)(AvahiThreadedPoll*);
  void (*threadedPollFree)(AvahiThreadedPoll*);
  void (*threadedPollLock)(AvahiThreadedPoll*);
  void (*threadedPollUnlock)(AvahiThreadedPoll*);
  AvahiClient* (*clientNew)(const AvahiPoll*, int flags, ClientCallback, void*, int* error);
  void (*clientFree)(AvahiClient*);
  int (*clientErrno)(AvahiClient*);
  AvahiEntryGroup* (*groupNew)(AvahiClient*, GroupCallback, void*);
  int (*groupAddService)(AvahiEntryGroup*, int iface, int protocol, int flags, const char* name, const char* type,
                         const char* domain, const char* host, std::uint16_t port, AvahiStringList* txt);
  int (*groupCommit)(AvahiEntryGroup*);
  int (*groupReset)(AvahiEntryGroup*);
  AvahiStringList* (*stringListAdd)(AvahiStringList*, const char*);
  void (*stringListFree)(AvahiStringList*);
  const char* (*strerror)(int);
  char* (*alternativeServiceName)(const char*);
  void (*free)(void*);

  // Empty when every entry point was found; otherwise what is missing.
  std::string Load() {
    client = dlopen("libavahi-client.so.3", RTLD_NOW | RTLD_LOCAL);
    common = dlopen("libavahi-common.so.3", RTLD_NOW | RTLD_LOCAL);
    if (!client || !common) return "Avahi's client library (libavahi-client3) is not installed";
    std::string missing;
    auto get = [&](void* lib, auto& fn, const char* name) {
      fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib, name));
      if (!fn) missing = name;
    };
    get(common, threadedPollNew, "avahi_threaded_poll_new");
    get(common, threadedPollGet, "avahi_threaded_poll_get");
    get(common, threadedPollStart, "avahi_threaded_poll_start");
    get(common, threadedPollStop, "avahi_threaded_poll_stop");
    get(common, threadedPollFree, "avahi_threaded_poll_free");
    get(common, threadedPollLock, "avahi_threaded_poll_lock");
    get(common, threadedPollUnlock, "avahi_threaded_poll_unlock");
    get(client, clientNew, "avahi_client_new");
    get(client, clientFree, "avahi_client_free");
    get(client, clientErrno, "avahi_client_errno");
    get(client, groupNew, "avahi_entry_group_new");
    get(client, groupAddService, "avahi_entry_group_add_service_strlst");
    get(client, groupCommit, "avahi_entry_group_commit");
    get(client, groupReset, "avahi_entry_group_reset");
    get(common, stringListAdd, "avahi_string_list_add");
    get(common, stringListFree, "avahi_string_list_free");
    get(common, strerror, "avahi_strerror");
    get(common, alternativeServiceName, "avahi_alternative_service_name");
    get(common, free, "avahi_free");
    return missing.empty() ? std::string() : "Avahi's library lacks " + missing;
  }
  ~AvahiApi() {
    if (client) dlclose(client);
    if (common) dlclose(common);
  }
};

class AvahiPublisher final : public ServicePublisher {
 public:
  AvahiPublisher(std::vector<ServiceAdvert> adverts, std::function<void(const std::string&)> report)
      : adverts_(std::move(adverts)), report_(std::move(report)) {
    if (const std::string problem = api_.Load(); !problem.empty()) {
      Set(ServiceDiscoveryState::Phase::Unavailable, problem);
      return;
    }
    poll_ = api_.threadedPollNew();
    if (!poll_) {
      Set(ServiceDiscoveryState::Phase::Failed, "Avahi: no event loop");
      return;
    }
    int error = 0;
    // NO_FAIL: without a running avahi-daemon the client waits for one and
    // registers when it appears, rather than failing.
    client_ = api_.clientNew(api_.threadedPollGet(poll_), kClientNoFail, &AvahiPublisher::ClientChanged, this, &error);
    if (!client_) {
      if (error == kErrNoDaemon)
        Set(ServiceDiscoveryState::Phase::Unavailable, "avahi-daemon is not running");
      else
        Set(ServiceDiscoveryState::Phase::Failed, std::string("Avahi: ") + api_.strerror(error));
      return;
    }
    if (api_.threadedPollStart(poll_) < 0) Set(ServiceDiscoveryState::Phase::Failed, "Avahi: no event thread");
  }

  ~AvahiPublisher() override {
    if (poll_) api_.threadedPollStop(poll_);
    if (reconnect_) api_.threadedPollGet(poll_)->timeoutFree(reconnect_);
    if (client_) api_.clientFree(client_);  // frees the entry group too, withdrawing the services
    if (poll_) api_.threadedPollFree(poll_);
  }

  ServiceDiscoveryState State() const override {
    std::lock_guard lock(mutex_);
    return state_;
  }

 private:
  void Set(ServiceDiscoveryState::Phase phase, std::string detail) {
    bool say = false;
    {
      std::lock_guard lock(mutex_);
      say = (phase == ServiceDiscoveryState::Phase::Unavailable || phase == ServiceDiscoveryState::Phase::Failed) &&
            (state_.phase != phase || state_.detail != detail);
      state_ = {phase, detail};
    }
    if (say && report_) report_("DNS-SD: " + detail + "; the display is found by its beacon and address only");
  }

  static void ClientChanged(AvahiClient* client, int state, void* user) {
    auto* self = static_cast<AvahiPublisher*>(user);
    // The first call can come from inside avahi_client_new, before client_ is set.
    self->client_ = client;
    switch (state) {
      case kClientRunning: self->Register(); break;
      case kClientCollision:
      case kClientRegistering:
        if (self->group_) self->api_.groupReset(self->group_);
        break;
      case kClientConnecting:
        // The daemon went away (or is not there yet): Avahi has freed our
        // entry group with the old connection; registration starts afresh
        // when the daemon is back.
        self->group_ = nullptr;
        self->Set(ServiceDiscoveryState::Phase::Unavailable, "avahi-daemon is not running (registering when it starts)");
        break;
      case kClientFailure:
        self->group_ = nullptr;
        if (self->api_.clientErrno(client) == kErrDisconnected) {
          // avahi-daemon stopped or restarted (an upgrade, say): a new
          // client, made outside this callback, waits for it and registers again.
          self->Set(ServiceDiscoveryState::Phase::Unavailable, "avahi-daemon is not running (registering when it starts)");
          self->ReconnectSoon();
        } else {
          self->Set(ServiceDiscoveryState::Phase::Failed,
                    std::string("Avahi: ") + self->api_.strerror(self->api_.clientErrno(client)));
        }
        break;
      default: break;
    }
  }

  static void GroupChanged(AvahiEntryGroup*, int state, void* user) {
    auto* self = static_cast<AvahiPublisher*>(user);
    if (state == kGroupEstablished) {
      std::string names;
      for (const auto& a : self->adverts_) names += (names.empty() ? "'" : ", '") + a.name + "' " + a.type;
      self->Set(ServiceDiscoveryState::Phase::Registered, names);
    } else if (state == kGroupCollision) {
      self->Rename();
      self->Register();
    } else if (state == kGroupFailure) {
      self->Set(ServiceDiscoveryState::Phase::Failed,
                std::string("Avahi: ") + self->api_.strerror(self->api_.clientErrno(self->client_)));
    }
  }

  void ReconnectSoon() {
    timeval when{};
    gettimeofday(&when, nullptr);
    when.tv_sec += 1;
    const AvahiPoll* poll = api_.threadedPollGet(poll_);
    if (reconnect_) poll->timeoutUpdate(reconnect_, &when);
    else reconnect_ = poll->timeoutNew(poll, &when, &AvahiPublisher::Reconnect, this);
  }

  static void Reconnect(AvahiTimeout* timeout, void* user) {
    auto* self = static_cast<AvahiPublisher*>(user);
    self->api_.threadedPollGet(self->poll_)->timeoutUpdate(timeout, nullptr);
    if (self->client_) self->api_.clientFree(self->client_);
    self->client_ = nullptr;
    int error = 0;
    self->client_ = self->api_.clientNew(self->api_.threadedPollGet(self->poll_), kClientNoFail,
                                         &AvahiPublisher::ClientChanged, self, &error);
    if (!self->client_) self->ReconnectSoon();
  }

  // Another machine has the name: "Velmora on pc #2", as Avahi numbers them.
  void Rename() {
    for (auto& a : adverts_) {
      if (char* alternative = api_.alternativeServiceName(a.name.c_str())) {
        a.name = alternative;
        api_.free(alternative);
      }
    }
  }

  void Register() {
    if (!group_) group_ = api_.groupNew(client_, &AvahiPublisher::GroupChanged, this);
    if (!group_) {
      Set(ServiceDiscoveryState::Phase::Failed, std::string("Avahi: ") + api_.strerror(api_.clientErrno(client_)));
      return;
    }
    api_.groupReset(group_);
    for (int attempt = 0; attempt < 10; ++attempt) {
      int error = 0;
      for (const auto& a : adverts_) {
        AvahiStringList* txt = nullptr;
        for (const auto& [key, value] : a.txt) txt = api_.stringListAdd(txt, (key + "=" + value).c_str());
        error = api_.groupAddService(group_, kIfUnspec, kProtoUnspec, 0, a.name.c_str(), a.type.c_str(), nullptr,
                                     nullptr, a.port, txt);
        api_.stringListFree(txt);
        if (error < 0) break;
      }
      if (error == kErrCollision) {
        api_.groupReset(group_);
        Rename();
        continue;
      }
      if (error >= 0) error = api_.groupCommit(group_);
      if (error < 0) Set(ServiceDiscoveryState::Phase::Failed, std::string("Avahi: ") + api_.strerror(error));
      else Set(ServiceDiscoveryState::Phase::Registering, "registering");
      return;
    }
    Set(ServiceDiscoveryState::Phase::Failed, "Avahi: every name tried is taken");
  }

  AvahiApi api_;
  std::vector<ServiceAdvert> adverts_;
  std::function<void(const std::string&)> report_;
  AvahiThreadedPoll* poll_ = nullptr;
  AvahiClient* client_ = nullptr;
  AvahiEntryGroup* group_ = nullptr;
  AvahiTimeout* reconnect_ = nullptr;
  mutable std::mutex mutex_;
  ServiceDiscoveryState state_;
};

// Avahi's calls go over D-Bus and can wait seconds on a daemon that is
// starting or stopping. So the client lives on a thread of its own: start-up
// never waits for it, and at the end the display waits at most half a
// second before leaving it (and the thread) to the process's exit.
class DetachedAvahi final : public ServicePublisher {
 public:
  DetachedAvahi(std::vector<ServiceAdvert> adverts, std::function<void(const std::string&)> report)
      : shared_(std::make_shared<Shared>()) {
    std::thread([s = shared_, adverts = std::move(adverts), report = std::move(report)]() mutable {
      auto publisher = std::make_unique<AvahiPublisher>(std::move(adverts), std::move(report));
      std::unique_lock lock(s->mutex);
      s->publisher = publisher.get();
      s->changed.wait(lock, [&] { return s->stop; });
      s->publisher = nullptr;
      lock.unlock();
      publisher.reset();
      lock.lock();
      s->done = true;
      s->changed.notify_all();
    }).detach();
  }
  ~DetachedAvahi() override {
    std::unique_lock lock(shared_->mutex);
    shared_->stop = true;
    shared_->changed.notify_all();
    shared_->changed.wait_for(lock, std::chrono::milliseconds(500), [&] { return shared_->done; });
  }
  ServiceDiscoveryState State() const override {
    std::lock_guard lock(shared_->mutex);
    return shared_->publisher ? shared_->publisher->State() : ServiceDiscoveryState{};
  }

 private:
  struct Shared {
    std::mutex mutex;
    std::condition_variable changed;
    AvahiPublisher* publisher = nullptr;
    bool stop = false, done = false;
  };
  std::shared_ptr<Shared> shared_;
};

}  // namespace

std::unique_ptr<ServicePublisher> PublishServices(std::vector<ServiceAdvert> adverts,
                                                  std::function<void(const std::string&)> report) {
  return std::make_unique<DetachedAvahi>(std::move(adverts), std::move(report));
}

}  // namespace velmora::platform
