// Support for black-box runs of the display and its tools: child processes
// in their own working directory, what the kernel knows about them (CPU,
// resident memory, open descriptors), spare loopback ports, messages.
// Shared by the reliability tests and the system benchmarks.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace velmora::reliability {

// A fresh directory under $TMPDIR, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  void Write(const std::string& name, const std::string& bytes) const;

 private:
  std::string path_;
};

struct SpawnOptions {
  std::string cwd;          // working directory of the child
  std::string stdoutPath;   // empty: /dev/null
  std::string stderrPath;   // empty: /dev/null
  std::optional<uid_t> runAs;  // drop to this user (and its group) when we are root
  std::optional<rlim_t> fileSizeLimit;  // RLIMIT_FSIZE of the child, bytes
  std::vector<std::string> env;  // extra NAME=VALUE entries
};

struct ExitInfo {
  bool exited = false;     // normal exit (status is the exit code)
  int status = 0;          // exit code, or the signal number when !exited
  bool timedOut = false;   // had to be killed
  double wallSeconds = 0;  // spawn to reaping
  struct rusage usage {};
  std::string Describe() const;
};

class Child {
 public:
  Child() = default;
  Child(const std::vector<std::string>& argv, const SpawnOptions& options);
  ~Child();  // kills and reaps a child still running
  Child(Child&& other) noexcept;
  Child& operator=(Child&& other) noexcept;
  Child(const Child&) = delete;

  pid_t pid() const { return pid_; }
  bool Running();
  // Waits for the child to end by itself; kills it after the timeout.
  ExitInfo Wait(std::chrono::milliseconds timeout);
  // SIGTERM, then Wait.
  ExitInfo Terminate(std::chrono::milliseconds timeout);
  std::chrono::steady_clock::time_point started() const { return started_; }

 private:
  void Reap();

  pid_t pid_ = -1;
  std::chrono::steady_clock::time_point started_;
  std::optional<ExitInfo> result_;
};

// True when user may reach path with the access mode (R_OK, W_OK, X_OK),
// every folder on the way included.
bool Reachable(uid_t user, const std::string& path, int mode);

// The path by which user can run exe: exe itself when it can reach it (a
// build inside a private folder is out of its reach), else a copy in a
// folder of its own under $TMPDIR or /tmp, kept until this process ends.
// Empty, with the reason in *why, when neither can be run.
std::string RunnableBy(uid_t user, const std::string& exe, std::string* why);

// Two ports free for UDP and TCP on loopback right now (a random base, checked).
struct PortPair {
  std::uint16_t udp = 0;
  std::uint16_t tcp = 0;
};
PortPair SparePorts();

// True once something listens on the TCP port and something is bound to the
// UDP port (either may be 0: not checked).
bool WaitForListeners(PortPair ports, bool tcp, bool udp, std::chrono::milliseconds timeout);

// Kernel figures of a live process.
long VmRssKb(pid_t pid);           // -1 when unknown
int OpenFdCount(pid_t pid);        // -1 when unknown
double CpuSeconds(pid_t pid);      // user + system, ns resolution where the kernel offers it

// The kernel's view of the UDP socket bound to a local port: bytes waiting
// in its receive queue and datagrams it dropped because the queue was full.
struct UdpSocketState {
  bool found = false;
  long queuedBytes = 0;
  long drops = 0;
};
UdpSocketState UdpSocketOnPort(std::uint16_t port);
// Datagrams the whole machine dropped for a full receive queue (UDP
// RcvbufErrors); -1 when unknown.
long UdpReceiveBufferErrors();

// "name: value" lines as printed by the display's --stats.
std::map<std::string, double> ParseStats(const std::string& text);

// The lowest frame rate a run may show. Under the sanitizers (test.sh sets
// VELMORA_SANITIZED) every frame costs several times more, so the floor is
// halved: those runs look for memory faults under abuse, not for speed.
double FrameRateFloor(double fps);

std::string ReadFileText(const std::string& path);
int CountLinesContaining(const std::string& text, const std::string& needle);

// A well-formed 33-field message whose fields derive from seed (every field
// changes with it); the same seed gives the same bytes.
std::string ValidMessage(double seed);

// config.txt with the given transport word and a plain placement.
std::string ConfigText(const std::string& transport);

// Paths of the programs under test (compiled in, overridable by environment
// variables VELMORA_EXE and VELMORA_SEND_EXE).
std::string DisplayExe();
std::string SendExe();

// Base arguments of a headless display on the given ports.
std::vector<std::string> DisplayArgs(PortPair ports);

// A UDP sender to 127.0.0.1:port.
class UdpSender {
 public:
  explicit UdpSender(std::uint16_t port);
  ~UdpSender();
  UdpSender(const UdpSender&) = delete;
  UdpSender& operator=(const UdpSender&) = delete;
  bool Send(const void* data, std::size_t size);
  bool Send(const std::string& s) { return Send(s.data(), s.size()); }

 private:
  int fd_ = -1;
};

// A display binds its listeners before start-up has finished; until its main
// loop runs, the network thread holds one datagram and the rest wait in the
// socket (start-up serves hand-overs only for moments). Sends a valid
// message every 40 ms until five in a row leave the socket's queue at once;
// returns how many it sent.
long WaitUntilTheLoopServes(UdpSender& udp, std::uint16_t port, std::chrono::seconds limit);

}  // namespace velmora::reliability
