// Real write faults for tests: a disk that fills up (a small tmpfs), a
// read-only file system (a directory bound read-only onto itself) and a
// file-size limit. The mounts live in a mount namespace of the test process's
// own, so nothing shows outside it and nothing outlives it; they need root
// (as CI runs), and where they cannot be made the reason says why.
#pragma once

#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>

namespace velmora::testing {

// Empty once this process has mounts of its own, else the reason it cannot.
inline std::string EnterPrivateMounts() {
  static const std::string why = []() -> std::string {
    if (::unshare(CLONE_NEWNS) != 0) return std::string("no private mount namespace here: unshare: ") + std::strerror(errno);
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
      return std::string("mounts cannot be made private here: ") + std::strerror(errno);
    return {};
  }();
  return why;
}

// A mount over dir for the life of the object; error() is empty when it is there.
class ScopedMount {
 public:
  // An empty tmpfs of the given size hides what dir held.
  static ScopedMount Tmpfs(const std::string& dir, std::size_t bytes) {
    ScopedMount m(dir);
    const std::string options = "size=" + std::to_string(bytes);
    m.Check(::mount("tmpfs", dir.c_str(), "tmpfs", 0, options.c_str()) == 0, "mount -t tmpfs");
    return m;
  }
  // dir as it is, but nothing in it can be changed, not even by root.
  static ScopedMount ReadOnly(const std::string& dir) {
    ScopedMount m(dir);
    if (m.Check(::mount(dir.c_str(), dir.c_str(), nullptr, MS_BIND, nullptr) == 0, "mount --bind"))
      m.Check(::mount(nullptr, dir.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0, "remount ro");
    return m;
  }
  ScopedMount(ScopedMount&& o) noexcept : dir_(o.dir_), error_(std::move(o.error_)), mounted_(o.mounted_) {
    o.mounted_ = false;
  }
  ~ScopedMount() {
    if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
  }
  const std::string& error() const { return error_; }

 private:
  explicit ScopedMount(std::string dir) : dir_(std::move(dir)), error_(EnterPrivateMounts()) {}
  bool Check(bool ok, const char* what) {
    if (!error_.empty()) return false;
    if (!ok) error_ = std::string(what) + " " + dir_ + ": " + std::strerror(errno);
    mounted_ = mounted_ || ok;
    return ok;
  }
  std::string dir_;
  std::string error_;
  bool mounted_ = false;
};

// Writes page-sized files "fill0", "fill1", ... into dir until no byte more
// fits; removing one gives back exactly one page. Returns the count.
inline int FillUp(const std::string& dir) {
  const std::string page(4096, 'x');
  int n = 0;
  for (;; ++n) {
    const std::string path = dir + "/fill" + std::to_string(n);
    if (std::ifstream(path).good()) continue;
    std::ofstream f(path, std::ios::binary);
    f.write(page.data(), static_cast<std::streamsize>(page.size()));
    f.flush();
    if (!f) {
      ::unlink(path.c_str());
      return n;
    }
  }
}

// A file-size limit on this process, SIGXFSZ ignored so that writes fail with
// EFBIG instead of ending it; both restored on destruction.
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit r = saved_;
    r.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &r);
    old_ = ::signal(SIGXFSZ, SIG_IGN);
  }
  ~ScopedFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, old_);
  }
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*old_)(int) = SIG_DFL;
};

}  // namespace velmora::testing
