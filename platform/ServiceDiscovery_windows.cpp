// DNS-SD on Windows 10/11: DnsServiceRegister from dnsapi.dll, looked up at
// run time (older systems and Wine may lack it; MinGW's headers may too, so
// the few declarations are our own, laid out as windns.h has them).
#include "platform/ServiceDiscovery.h"

#include <windows.h>

#include <atomic>
#include <mutex>

namespace velmora::platform {
namespace {

struct ServiceInstance;  // DNS_SERVICE_INSTANCE, only ever handled by pointer
using RegisterComplete = void(WINAPI*)(DWORD status, PVOID context, ServiceInstance* instance);
struct RegisterRequest {  // DNS_SERVICE_REGISTER_REQUEST
  ULONG version;
  ULONG interfaceIndex;
  ServiceInstance* instance;
  RegisterComplete complete;
  PVOID context;
  HANDLE credentials;
  BOOL unicastEnabled;
};
struct CancelHandle {  // DNS_SERVICE_CANCEL
  PVOID reserved;
};
constexpr ULONG kRequestVersion1 = 1;
constexpr DWORD kRequestPending = 9506;  // DNS_REQUEST_PENDING

using ConstructInstanceFn = ServiceInstance*(WINAPI*)(PCWSTR name, PCWSTR host, PVOID ip4, PVOID ip6, WORD port,
                                                     WORD priority, WORD weight, DWORD count, PCWSTR* keys,
                                                     PCWSTR* values);
using RegisterFn = DWORD(WINAPI*)(RegisterRequest*, CancelHandle*);
using DeRegisterFn = DWORD(WINAPI*)(RegisterRequest*, CancelHandle*);
using FreeInstanceFn = void(WINAPI*)(ServiceInstance*);

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string ComputerName() {
  char name[256] = {};
  DWORD size = sizeof name;
  if (!GetComputerNameExA(ComputerNameDnsHostname, name, &size) || size == 0) return "velmora";
  return std::string(name, size);
}

// An entry point by name; null when this Windows lacks it. (Through a plain
// function pointer type, as GetProcAddress's own type fits none.)
template <class Fn>
void Find(HMODULE dll, const char* name, Fn& out) {
  out = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(dll, name)));
}

class WindowsPublisher final : public ServicePublisher {
 public:
  WindowsPublisher(std::vector<ServiceAdvert> adverts, std::function<void(const std::string&)> report)
      : report_(std::move(report)) {
    dll_ = LoadLibraryW(L"dnsapi.dll");
    if (dll_) {
      Find(dll_, "DnsServiceConstructInstance", construct_);
      Find(dll_, "DnsServiceRegister", register_);
      Find(dll_, "DnsServiceDeRegister", deregister_);
      Find(dll_, "DnsServiceFreeInstance", free_);
    }
    if (!construct_ || !register_ || !deregister_ || !free_) {
      Set(ServiceDiscoveryState::Phase::Unavailable, "this Windows has no DNS-SD registration (Windows 10 1903 or later has)");
      return;
    }
    const std::wstring host = Wide(ComputerName() + ".local");
    for (const auto& a : adverts) {
      auto entry = std::make_unique<Entry>();
      entry->owner = this;
      entry->label = "'" + a.name + "' " + a.type;
      const std::wstring full = Wide(a.name + "." + a.type + ".local");
      std::vector<std::wstring> keys, values;
      for (const auto& [k, v] : a.txt) {
        keys.push_back(Wide(k));
        values.push_back(Wide(v));
      }
      std::vector<PCWSTR> keyPtrs, valuePtrs;
      for (std::size_t i = 0; i < keys.size(); ++i) {
        keyPtrs.push_back(keys[i].c_str());
        valuePtrs.push_back(values[i].c_str());
      }
      entry->instance = construct_(full.c_str(), host.c_str(), nullptr, nullptr, a.port, 0, 0,
                                   static_cast<DWORD>(keyPtrs.size()), keyPtrs.data(), valuePtrs.data());
      if (!entry->instance) continue;
      entry->request = {kRequestVersion1, 0, entry->instance, &WindowsPublisher::Completed, entry.get(), nullptr, FALSE};
      const DWORD status = register_(&entry->request, &entry->cancel);
      if (status != kRequestPending) {
        Set(ServiceDiscoveryState::Phase::Failed, "DnsServiceRegister failed (" + std::to_string(status) + ")");
        free_(entry->instance);
        continue;
      }
      entries_.push_back(std::move(entry));
    }
  }

  ~WindowsPublisher() override {
    // The withdrawal completes on a system thread, maybe after this is gone:
    // the entries stay (the process is ending) and know their owner is not there.
    for (auto& e : entries_) {
      e->owner = nullptr;
      deregister_(&e->request, nullptr);
      e.release();
    }
  }

  ServiceDiscoveryState State() const override {
    std::lock_guard lock(mutex_);
    return state_;
  }

 private:
  struct Entry {
    std::atomic<WindowsPublisher*> owner{nullptr};
    std::string label;
    ServiceInstance* instance = nullptr;
    RegisterRequest request{};
    CancelHandle cancel{};
  };

  static void WINAPI Completed(DWORD status, PVOID context, ServiceInstance* instance) {
    auto* entry = static_cast<Entry*>(context);
    WindowsPublisher* self = entry->owner;
    if (!self) return;
    if (instance) self->free_(instance);
    if (status != 0) {
      self->Set(ServiceDiscoveryState::Phase::Failed, "DNS-SD registration failed (" + std::to_string(status) + ")");
      return;
    }
    std::lock_guard lock(self->mutex_);
    self->registered_ += (self->registered_.empty() ? "" : ", ") + entry->label;
    self->state_ = {ServiceDiscoveryState::Phase::Registered, self->registered_};
  }

  void Set(ServiceDiscoveryState::Phase phase, const std::string& detail) {
    {
      std::lock_guard lock(mutex_);
      state_ = {phase, detail};
    }
    if (report_) report_("DNS-SD: " + detail + "; the display is found by its beacon and address only");
  }

  std::function<void(const std::string&)> report_;
  HMODULE dll_ = nullptr;
  ConstructInstanceFn construct_ = nullptr;
  RegisterFn register_ = nullptr;
  DeRegisterFn deregister_ = nullptr;
  FreeInstanceFn free_ = nullptr;
  std::vector<std::unique_ptr<Entry>> entries_;
  mutable std::mutex mutex_;
  std::string registered_;
  ServiceDiscoveryState state_;
};

}  // namespace

std::unique_ptr<ServicePublisher> PublishServices(std::vector<ServiceAdvert> adverts,
                                                  std::function<void(const std::string&)> report) {
  return std::make_unique<WindowsPublisher>(std::move(adverts), std::move(report));
}

}  // namespace velmora::platform
