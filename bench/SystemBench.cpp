// Whole-program figures of the display, measured from outside on the real
// executables: start-up time, CPU of the main loop under telemetry load
// (against a busy-polling loop for comparison), receive-to-present latency,
// the share of a fast exporter's datagrams that is applied, and peak resident
// memory after a demo flight. Each benchmark runs its scenario once (or a few
// times for start-up) and reports counters.
// VELMORA_BENCH_QUICK=1 shortens every scenario for a smoke run.
#include <benchmark/benchmark.h>

#include <netinet/in.h>
#include <poll.h>
#include <sys/wait.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <vector>

#include "tests/reliability/ChildProcess.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;
using namespace reliability;
using Clock = std::chrono::steady_clock;

bool Quick() {
  const char* q = std::getenv("VELMORA_BENCH_QUICK");
  return q && *q && *q != '0';
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double LoadAverage1m() {
  std::ifstream f("/proc/loadavg");
  double l = 0;
  f >> l;
  return l;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Telemetry at a steady rate until stopped: what an exporter does in flight.
class Exporter {
 public:
  Exporter(std::uint16_t port, int perSecond) : udp_(port), period_(std::chrono::microseconds(1000000 / perSecond)) {
    thread_ = std::thread([this] {
      auto next = Clock::now();
      for (long i = 0; !stop_; ++i) {
        udp_.Send(ValidMessage(static_cast<double>(i)));
        ++sent_;
        next += period_;
        std::this_thread::sleep_until(next);
      }
    });
  }
  ~Exporter() { Stop(); }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  long sent() const { return sent_; }

 private:
  UdpSender udp_;
  std::chrono::microseconds period_;
  std::atomic<bool> stop_{false};
  std::atomic<long> sent_{0};
  std::thread thread_;
};

// A headless display on spare ports in its own directory, listening on UDP.
struct DisplayRun {
  TempDir dir;
  PortPair ports = SparePorts();
  Child child;

  explicit DisplayRun(std::vector<std::string> extra) {
    dir.Write("config.txt", ConfigText("udp"));
    auto args = DisplayArgs(ports);
    args.insert(args.end(), extra.begin(), extra.end());
    child = Child(args, {dir.path(), dir.File("stdout.txt"), dir.File("stderr.txt")});
  }
  bool Ready() { return WaitForListeners(ports, false, true, 15s); }
  std::map<std::string, double> StopAndStats(ExitInfo* info = nullptr) {
    ExitInfo e = child.Terminate(20s);
    if (info) *info = e;
    return ParseStats(ReadFileText(dir.File("stdout.txt")));
  }
};

// Exec to exit of "velmora --headless --frames 1" (window, pictures, fonts,
// sprites, one frame with its 30 ms pacing sleep, config.txt written, exit),
// and exec to the first frame's screenshot landing on disk.
void BM_StartUp(benchmark::State& state) {
  const int runs = Quick() ? 3 : 9;
  std::vector<double> total, firstFrame;
  for (auto _ : state) {
    for (int i = 0; i < runs; ++i) {
      TempDir dir;
      auto args = DisplayArgs(SparePorts());
      args.insert(args.end(), {"--frames", "1"});
      Child c(args, {dir.path(), "", dir.File("stderr.txt")});
      ExitInfo e = c.Wait(30s);
      if (!e.exited || e.status != 0) {
        state.SkipWithError(("start-up run failed: " + e.Describe()).c_str());
        return;
      }
      total.push_back(e.wallSeconds * 1000);
    }
    for (int i = 0; i < runs; ++i) {
      // The first frame is written as a screenshot right after it is
      // presented; the moment the file appears bounds start to first frame
      // from above (PNG encoding included).
      TempDir dir;
      int in = ::inotify_init1(IN_CLOEXEC);
      ::inotify_add_watch(in, dir.path().c_str(), IN_MOVED_TO | IN_CLOSE_WRITE);
      auto args = DisplayArgs(SparePorts());
      args.insert(args.end(), {"--screenshot", dir.File("first.png"), "--screenshot-interval", "0.001"});
      Child c(args, {dir.path(), "", dir.File("stderr.txt")});
      alignas(inotify_event) char buf[4096];
      bool seen = false;
      while (!seen && Clock::now() - c.started() < 30s) {
        struct pollfd pfd {in, POLLIN, 0};
        if (::poll(&pfd, 1, 100) <= 0) {
          if (!c.Running()) break;
          continue;
        }
        ssize_t n = ::read(in, buf, sizeof buf);
        if (n <= 0) break;
        for (char* p = buf; p < buf + n;) {
          auto* ev = reinterpret_cast<inotify_event*>(p);
          if (ev->len && std::string(ev->name) == "first.png") seen = true;
          p += sizeof(inotify_event) + ev->len;
        }
      }
      if (seen) firstFrame.push_back(Ms(Clock::now() - c.started()));
      ::close(in);
      c.Terminate(20s);
    }
    state.SetIterationTime(Median(total) / 1000);
  }
  state.counters["startup_ms_p50"] = Median(total);
  state.counters["startup_ms_min"] = *std::min_element(total.begin(), total.end());
  state.counters["startup_ms_max"] = *std::max_element(total.begin(), total.end());
  state.counters["first_frame_ms_p50"] = Median(firstFrame);
  state.counters["runs"] = runs;
}
BENCHMARK(BM_StartUp)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// CPU seconds per wall second of a process over a window, while an exporter
// sends 60 messages a second to the given port.
struct CpuWindow {
  double cpuPerWall = 0;
  double wall = 0;
  long sent = 0;
};

CpuWindow MeasureCpu(pid_t pid, std::uint16_t port, std::chrono::milliseconds window, int perSecond = 60) {
  Exporter exporter(port, perSecond);
  std::this_thread::sleep_for(200ms);
  const auto t0 = Clock::now();
  const double c0 = CpuSeconds(pid);
  std::this_thread::sleep_for(window);
  const double c1 = CpuSeconds(pid);
  const auto t1 = Clock::now();
  exporter.Stop();
  CpuWindow w;
  w.wall = std::chrono::duration<double>(t1 - t0).count();
  w.cpuPerWall = (c1 - c0) / w.wall;
  w.sent = exporter.sent();
  return w;
}

// What starts the frames: the benchmarks' second argument.
const char* SyncArg(const benchmark::State& state) { return state.range(1) ? "telemetry" : "timer"; }

// The real main loop with the recording device (nothing rasterised): the
// display's own cost at 30 (or 60) frames a second under 60 messages a
// second, with frames from the timer or from the telemetry.
void BM_LoopCpu(benchmark::State& state) {
  const auto window = Quick() ? 2s : 5s;
  const std::string fps = std::to_string(state.range(0));
  for (auto _ : state) {
    DisplayRun run({"--null-render", "--stats", "--fps", fps, "--sync", SyncArg(state)});
    if (!run.Ready()) {
      state.SkipWithError("the display did not start");
      return;
    }
    std::this_thread::sleep_for(1s);  // start-up's own CPU stays out of the window
    CpuWindow w = MeasureCpu(run.child.pid(), run.ports.udp, window);
    auto stats = run.StopAndStats();
    state.SetIterationTime(w.wall);
    state.counters["cpu_per_wall"] = w.cpuPerWall;
    state.counters["fps"] = stats["fps"];
    state.counters["messages_sent"] = static_cast<double>(w.sent);
    state.counters["messages_applied"] = stats["messages_applied"];
    // Latency without rasterising: the loop's and the pacing wait's share.
    state.counters["latency_ms_p50"] = stats["latency_ms_p50"];
    state.counters["latency_ms_p99"] = stats["latency_ms_p99"];
    state.counters["loadavg_1m"] = LoadAverage1m();
  }
}
BENCHMARK(BM_LoopCpu)
    ->ArgNames({"fps", "telemetry"})
    ->ArgsProduct({{30, 60}, {0, 1}})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The comparison: a loop that spins on the clock and polls its socket
// instead of sleeping until something is due.
void BM_BusyPollCpu(benchmark::State& state) {
  const auto window = Quick() ? 2s : 5s;
  for (auto _ : state) {
    const PortPair ports = SparePorts();
    const double seconds = std::chrono::duration<double>(window).count() + 1.0;
    pid_t pid = ::fork();
    if (pid == 0) {
      int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      a.sin_port = htons(ports.udp);
      ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
      char buf[8192];
      timespec start{}, now{};
      ::clock_gettime(CLOCK_MONOTONIC, &start);
      do {
        while (::recv(fd, buf, sizeof buf, MSG_DONTWAIT) > 0) {
        }
        ::clock_gettime(CLOCK_MONOTONIC, &now);
      } while (static_cast<double>(now.tv_sec - start.tv_sec) +
                   static_cast<double>(now.tv_nsec - start.tv_nsec) * 1e-9 <
               seconds);
      ::_exit(0);
    }
    std::this_thread::sleep_for(300ms);
    CpuWindow w = MeasureCpu(pid, ports.udp, window);
    int status = 0;
    ::waitpid(pid, &status, 0);
    state.SetIterationTime(w.wall);
    state.counters["cpu_per_wall"] = w.cpuPerWall;
    state.counters["loadavg_1m"] = LoadAverage1m();
  }
}
BENCHMARK(BM_BusyPollCpu)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Receive-to-present latency with the real software renderer, as the
// display's --stats reports it, at 30 or 60 frames a second, frames from the
// timer or from the telemetry, at 60 (or 120) messages a second.
void BM_Latency(benchmark::State& state) {
  const auto window = Quick() ? 3s : 10s;
  const std::string fps = std::to_string(state.range(0));
  for (auto _ : state) {
    DisplayRun run({"--stats", "--fps", fps, "--sync", SyncArg(state)});
    if (!run.Ready()) {
      state.SkipWithError("the display did not start");
      return;
    }
    std::this_thread::sleep_for(1s);
    CpuWindow w = MeasureCpu(run.child.pid(), run.ports.udp, window, static_cast<int>(state.range(2)));
    std::this_thread::sleep_for(200ms);
    auto stats = run.StopAndStats();
    state.SetIterationTime(w.wall);
    for (const char* k : {"latency_ms_p50", "latency_ms_p99", "fps", "frame_ms_p50", "frame_ms_p99",
                          "messages_applied", "messages_rejected", "frames", "frames_by_telemetry"})
      state.counters[k] = stats[k];
    state.counters["cpu_per_wall"] = w.cpuPerWall;
    state.counters["loadavg_1m"] = LoadAverage1m();
  }
}
BENCHMARK(BM_Latency)
    ->ArgNames({"fps", "telemetry", "rate"})
    ->Args({30, 0, 60})
    ->Args({30, 1, 60})
    ->Args({60, 0, 60})
    ->Args({60, 1, 60})
    ->Args({60, 1, 120})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// An exporter far faster than the frame rate (1,000 or 5,000 datagrams a
// second) into the display drawing real pixels: how much of it is applied,
// whether the kernel dropped any for a full socket queue, and the frame rate
// meanwhile.
void BM_UdpRate(benchmark::State& state) {
  const int rate = static_cast<int>(state.range(0));
  const auto window = Quick() ? 3s : 10s;
  for (auto _ : state) {
    DisplayRun run({"--stats"});
    if (!run.Ready()) {
      state.SkipWithError("the display did not start");
      return;
    }
    long probes = 0;
    {
      UdpSender udp(run.ports.udp);
      probes = WaitUntilTheLoopServes(udp, run.ports.udp, 30s);
    }
    const long rcvbufErrors = UdpReceiveBufferErrors();
    const auto t0 = Clock::now();
    Exporter exporter(run.ports.udp, rate);
    std::this_thread::sleep_for(window);
    exporter.Stop();
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    // What still waits in the socket is not lost: let it drain.
    const auto limit = Clock::now() + 10s;
    while (UdpSocketOnPort(run.ports.udp).queuedBytes > 0 && Clock::now() < limit)
      std::this_thread::sleep_for(20ms);
    std::this_thread::sleep_for(500ms);
    const UdpSocketState socket = UdpSocketOnPort(run.ports.udp);
    const long machineDrops = UdpReceiveBufferErrors() - rcvbufErrors;
    auto stats = run.StopAndStats();
    const double applied = stats["messages_applied"] - static_cast<double>(probes);
    state.SetIterationTime(wall);
    state.counters["messages_sent"] = static_cast<double>(exporter.sent());
    state.counters["messages_applied"] = applied;
    state.counters["applied_percent"] = exporter.sent() ? 100.0 * applied / static_cast<double>(exporter.sent()) : 0;
    state.counters["socket_drops"] = static_cast<double>(socket.drops);
    state.counters["rcvbuf_errors_machine"] = static_cast<double>(machineDrops);
    state.counters["udp_receive_buffer_bytes"] = stats["udp_receive_buffer_bytes"];
    for (const char* k : {"fps", "latency_ms_p50", "latency_ms_p99", "frame_ms_p50"}) state.counters[k] = stats[k];
    state.counters["loadavg_1m"] = LoadAverage1m();
  }
}
BENCHMARK(BM_UdpRate)->Arg(1000)->Arg(5000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Peak resident memory of the display after a demo flight through
// velmora-send (30 messages a second, real software renderer).
void BM_PeakRss(benchmark::State& state) {
  const int seconds = Quick() ? 10 : 60;
  for (auto _ : state) {
    DisplayRun run({"--stats"});
    if (!run.Ready()) {
      state.SkipWithError("the display did not start");
      return;
    }
    const long rssStart = VmRssKb(run.child.pid());
    Child sender({SendExe(), "--demo", "--udp", "127.0.0.1:" + std::to_string(run.ports.udp), "--duration",
                  std::to_string(seconds)},
                 {run.dir.path(), "", ""});
    ExitInfo s = sender.Wait(std::chrono::seconds(seconds + 30));
    std::this_thread::sleep_for(300ms);
    const long rssEnd = VmRssKb(run.child.pid());
    ExitInfo e;
    auto stats = run.StopAndStats(&e);
    if (!s.exited || s.status != 0 || !e.exited || e.status != 0) {
      state.SkipWithError(("demo run failed: sender " + s.Describe() + ", display " + e.Describe()).c_str());
      return;
    }
    state.SetIterationTime(s.wallSeconds);
    state.counters["peak_rss_mb"] = static_cast<double>(e.usage.ru_maxrss) / 1024.0;
    state.counters["rss_mb_after_startup"] = static_cast<double>(rssStart) / 1024.0;
    state.counters["rss_mb_end"] = static_cast<double>(rssEnd) / 1024.0;
    state.counters["messages_applied"] = stats["messages_applied"];
    state.counters["fps"] = stats["fps"];
    state.counters["seconds"] = seconds;
  }
}
BENCHMARK(BM_PeakRss)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();
