#include "tests/reliability/ChildProcess.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

#ifndef VELMORA_EXE_PATH
#define VELMORA_EXE_PATH "velmora"
#endif
#ifndef VELMORA_SEND_EXE_PATH
#define VELMORA_SEND_EXE_PATH "velmora-send"
#endif

namespace velmora::reliability {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/velmora-rel-XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
  path_ = buf.data();
}

TempDir::~TempDir() {
  std::error_code ec;
  // A test may have left parts read-only: give everything back before removing.
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    ::chmod(it->path().c_str(), it->is_directory(ec) ? 0700 : 0600);
  }
  ::chmod(path_.c_str(), 0700);
  fs::remove_all(path_, ec);
}

void TempDir::Write(const std::string& name, const std::string& bytes) const {
  std::ofstream f(File(name), std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!f) throw std::runtime_error("cannot write " + File(name));
}

std::string ExitInfo::Describe() const {
  std::ostringstream s;
  if (timedOut) s << "killed after a timeout; ";
  if (exited)
    s << "exit status " << status;
  else
    s << "killed by signal " << status << " (" << strsignal(status) << ")";
  s << " after " << wallSeconds << " s";
  return s.str();
}

Child::Child(const std::vector<std::string>& argv, const SpawnOptions& options) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  started_ = std::chrono::steady_clock::now();
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    // Child: only async-signal-safe calls from here on.
    auto redirect = [](const std::string& path, int target) {
      int fd = ::open(path.empty() ? "/dev/null" : path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
      if (fd >= 0) ::dup2(fd, target);
    };
    int in = ::open("/dev/null", O_RDONLY);
    if (in >= 0) ::dup2(in, 0);
    redirect(options.stdoutPath, 1);
    redirect(options.stderrPath, 2);
    ::setpgid(0, 0);
    if (options.fileSizeLimit) {
      struct rlimit r {};
      ::getrlimit(RLIMIT_FSIZE, &r);
      r.rlim_cur = *options.fileSizeLimit;
      if (::setrlimit(RLIMIT_FSIZE, &r) != 0) ::_exit(126);
    }
    if (options.runAs && ::geteuid() == 0) {
      if (::setgroups(0, nullptr) != 0 || ::setgid(*options.runAs) != 0 || ::setuid(*options.runAs) != 0)
        ::_exit(126);
    }
    if (!options.cwd.empty() && ::chdir(options.cwd.c_str()) != 0) ::_exit(126);
    for (const auto& e : options.env) ::putenv(const_cast<char*>(e.c_str()));
    ::execv(args[0], args.data());
    ::_exit(127);
  }
}

Child::Child(Child&& other) noexcept
    : pid_(other.pid_), started_(other.started_), result_(std::move(other.result_)) {
  other.pid_ = -1;
}

Child& Child::operator=(Child&& other) noexcept {
  if (this != &other) {
    Reap();
    pid_ = other.pid_;
    started_ = other.started_;
    result_ = std::move(other.result_);
    other.pid_ = -1;
  }
  return *this;
}

Child::~Child() { Reap(); }

void Child::Reap() {
  if (pid_ > 0 && !result_) {
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  pid_ = -1;
}

bool Child::Running() {
  if (pid_ <= 0 || result_) return false;
  int status = 0;
  struct rusage ru {};
  pid_t r = ::wait4(pid_, &status, WNOHANG, &ru);
  if (r == 0) return true;
  ExitInfo info;
  info.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  info.usage = ru;
  info.exited = WIFEXITED(status);
  info.status = info.exited ? WEXITSTATUS(status) : WTERMSIG(status);
  result_ = info;
  return false;
}

ExitInfo Child::Wait(std::chrono::milliseconds timeout) {
  if (result_) return *result_;
  // A pidfd wakes us the moment the child ends, so start-up times are exact.
  int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  bool timedOut = false;
  while (Running()) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left <= 0ms) {
      timedOut = true;
      ::kill(pid_, SIGKILL);
      int status = 0;
      struct rusage ru {};
      ::wait4(pid_, &status, 0, &ru);
      ExitInfo info;
      info.timedOut = true;
      info.exited = WIFEXITED(status);
      info.status = info.exited ? WEXITSTATUS(status) : WTERMSIG(status);
      info.usage = ru;
      info.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
      result_ = info;
      break;
    }
    if (pidfd >= 0) {
      struct pollfd p {pidfd, POLLIN, 0};
      ::poll(&p, 1, static_cast<int>(std::min<long>(left.count(), 1000)));
    } else {
      std::this_thread::sleep_for(1ms);
    }
  }
  if (pidfd >= 0) ::close(pidfd);
  (void)timedOut;
  return *result_;
}

ExitInfo Child::Terminate(std::chrono::milliseconds timeout) {
  if (Running()) ::kill(pid_, SIGTERM);
  return Wait(timeout);
}

bool Reachable(uid_t user, const std::string& path, int mode) {
  pid_t pid = ::fork();
  if (pid < 0) return false;
  if (pid == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(user) != 0 || ::setuid(user) != 0) ::_exit(2);
    ::_exit(::access(path.c_str(), mode) == 0 ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string RunnableBy(uid_t user, const std::string& exe, std::string* why) {
  if (Reachable(user, exe, X_OK)) return exe;
  static TempDir copies;
  const std::string copy = copies.File(fs::path(exe).filename());
  std::error_code ec;
  ::chmod(copies.path().c_str(), 0755);
  fs::copy_file(exe, copy, fs::copy_options::overwrite_existing, ec);
  if (!ec && Reachable(user, copy, X_OK)) return copy;
  if (why)
    *why = "user " + std::to_string(user) + " can reach neither " + exe + " nor a copy in " + copies.path() +
           (ec ? " (" + ec.message() + ")" : std::string(" (a folder above it is closed to that user)"));
  return {};
}

namespace {

bool PortFree(int type, std::uint16_t port) {
  int fd = ::socket(AF_INET, type, 0);
  if (fd < 0) return false;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_ANY);
  a.sin_port = htons(port);
  bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  ::close(fd);
  return ok;
}

// Ports bound in /proc/net/{tcp,udp}: "sl local_address rem_address st ...".
bool ProcNetHasPort(const char* file, std::uint16_t port, const char* state) {
  std::ifstream f(file);
  std::string line;
  std::getline(f, line);
  while (std::getline(f, line)) {
    std::istringstream s(line);
    std::string sl, local, remote, st;
    s >> sl >> local >> remote >> st;
    auto colon = local.find(':');
    if (colon == std::string::npos) continue;
    unsigned p = static_cast<unsigned>(std::strtoul(local.c_str() + colon + 1, nullptr, 16));
    if (p == port && (!state || st == state)) return true;
  }
  return false;
}

}  // namespace

PortPair SparePorts() {
  static std::mt19937 rng(std::random_device{}() ^ static_cast<unsigned>(::getpid()));
  for (int attempt = 0; attempt < 200; ++attempt) {
    std::uint16_t base = static_cast<std::uint16_t>(22000 + rng() % 30000);
    PortPair p{base, static_cast<std::uint16_t>(base + 1)};
    if (PortFree(SOCK_DGRAM, p.udp) && PortFree(SOCK_STREAM, p.udp) && PortFree(SOCK_DGRAM, p.tcp) &&
        PortFree(SOCK_STREAM, p.tcp))
      return p;
  }
  throw std::runtime_error("no spare ports");
}

bool WaitForListeners(PortPair ports, bool tcp, bool udp, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    bool ok = (!tcp || ProcNetHasPort("/proc/net/tcp", ports.tcp, "0A")) &&
              (!udp || ProcNetHasPort("/proc/net/udp", ports.udp, nullptr));
    if (ok) return true;
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

long VmRssKb(pid_t pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

int OpenFdCount(pid_t pid) {
  DIR* d = ::opendir(("/proc/" + std::to_string(pid) + "/fd").c_str());
  if (!d) return -1;
  int n = 0;
  while (dirent* e = ::readdir(d))
    if (e->d_name[0] != '.') ++n;
  ::closedir(d);
  return n;
}

UdpSocketState UdpSocketOnPort(std::uint16_t port) {
  // sl local_address rem_address st tx_queue:rx_queue tr:when retrnsmt uid
  // timeout inode ref pointer drops; addresses and queues in hex.
  std::ifstream f("/proc/net/udp");
  std::string line;
  std::getline(f, line);
  UdpSocketState state;
  while (std::getline(f, line)) {
    std::istringstream in(line);
    std::string sl, local, remote, st, queues, timer, retransmit, uid, timeout, inode, ref, pointer;
    long drops = 0;
    if (!(in >> sl >> local >> remote >> st >> queues >> timer >> retransmit >> uid >> timeout >> inode >> ref >>
          pointer >> drops))
      continue;
    const auto colon = local.find(':');
    if (colon == std::string::npos || std::stoul(local.substr(colon + 1), nullptr, 16) != port) continue;
    state.found = true;
    state.queuedBytes += std::stol(queues.substr(queues.find(':') + 1), nullptr, 16);
    state.drops += drops;
  }
  return state;
}

long UdpReceiveBufferErrors() {
  std::ifstream f("/proc/net/snmp");
  std::string header, values;
  while (std::getline(f, header) && std::getline(f, values)) {
    if (header.rfind("Udp:", 0) != 0) continue;
    std::istringstream names(header), numbers(values);
    std::string name, number;
    while (names >> name && numbers >> number)
      if (name == "RcvbufErrors") return std::stol(number);
  }
  return -1;
}

double CpuSeconds(pid_t pid) {
  // Whole process: sum over its threads. schedstat's first field is the time
  // on a CPU in nanoseconds; stat's utime+stime (clock ticks) is the fallback.
  const std::string base = "/proc/" + std::to_string(pid) + "/task";
  std::error_code ec;
  double total = 0;
  bool any = false;
  for (const auto& t : fs::directory_iterator(base, ec)) {
    std::ifstream s(t.path() / "schedstat");
    unsigned long long ns = 0;
    if (s >> ns) {
      total += static_cast<double>(ns) * 1e-9;
      any = true;
    }
  }
  if (any) return total;
  std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(f)), {});
  auto close = text.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream s(text.substr(close + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && s >> field; ++i) {
    if (i == 14) utime = std::stoull(field);
    if (i == 15) stime = std::stoull(field);
  }
  return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

std::map<std::string, double> ParseStats(const std::string& text) {
  std::map<std::string, double> out;
  std::istringstream s(text);
  std::string line;
  while (std::getline(s, line)) {
    auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    char* end = nullptr;
    double v = std::strtod(line.c_str() + colon + 1, &end);
    if (end != line.c_str() + colon + 1) out[line.substr(0, colon)] = v;
  }
  return out;
}

std::string ReadFileText(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(f)), {});
}

int CountLinesContaining(const std::string& text, const std::string& needle) {
  std::istringstream s(text);
  std::string line;
  int n = 0;
  while (std::getline(s, line))
    if (line.find(needle) != std::string::npos) ++n;
  return n;
}

std::string ValidMessage(double seed) {
  // A plausible flight state; every field moves with the seed.
  static const double kBase[33] = {3250, 450, 92,  5,   25,  0,    6,    2.5,  4.2,  0.62, 3,
                                   15,   40,  120, 30,  1.5, 752.5, 900, 0.3,  -0.4, 94,   640,
                                   655,  1800, 1650, 0, 0,  520,  12360, 8000, 2,    1,    1};
  std::string m;
  char buf[64];
  for (int i = 0; i < 33; ++i) {
    double v = kBase[i];
    if (i < 29) v += std::fmod(seed * (i + 1) * 0.37, 10.0);
    std::snprintf(buf, sizeof buf, "%.3f ", v);
    m += buf;
  }
  m += "$\r\n";
  return m;
}

std::string ConfigText(const std::string& transport) {
  return "0\r\n0\r\n1024\r\n1\r\n" + transport + "\r\n";
}

std::string DisplayExe() {
  const char* e = std::getenv("VELMORA_EXE");
  return e && *e ? e : VELMORA_EXE_PATH;
}

std::string SendExe() {
  const char* e = std::getenv("VELMORA_SEND_EXE");
  return e && *e ? e : VELMORA_SEND_EXE_PATH;
}

std::vector<std::string> DisplayArgs(PortPair ports) {
  return {DisplayExe(), "--headless", "--udp-port", std::to_string(ports.udp), "--tcp-port",
          std::to_string(ports.tcp)};
}

UdpSender::UdpSender(std::uint16_t port) {
  fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) throw std::runtime_error("socket failed");
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port);
  if (::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) throw std::runtime_error("connect failed");
}

UdpSender::~UdpSender() {
  if (fd_ >= 0) ::close(fd_);
}

bool UdpSender::Send(const void* data, std::size_t size) {
  // A refused datagram (ICMP from an earlier send) is not the sender's concern.
  return ::send(fd_, data, size, MSG_DONTWAIT) == static_cast<ssize_t>(size);
}

long WaitUntilTheLoopServes(UdpSender& udp, std::uint16_t port, std::chrono::seconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  long sent = 0;
  for (int drained = 0; drained < 5 && std::chrono::steady_clock::now() < end;) {
    udp.Send(ValidMessage(-1.0 - static_cast<double>(sent++)));
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    drained = UdpSocketOnPort(port).queuedBytes == 0 ? drained + 1 : 0;
  }
  return sent;
}

double FrameRateFloor(double fps) { return std::getenv("VELMORA_SANITIZED") ? fps / 2 : fps; }

}  // namespace velmora::reliability
