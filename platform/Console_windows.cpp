// Output of a windowed (GUI-subsystem) program on Windows. Such a program
// gets no console of its own: it borrows the one it was started from, or,
// started from Explorer or a shortcut, writes its lines to a log file through
// a pipe whose reader keeps the file small.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/Console.h"
#include "platform/Log.h"

namespace velmora::platform {

namespace {

// A handle the program was given (a console, a file or a pipe).
bool Given(DWORD which) {
  HANDLE h = ::GetStdHandle(which);
  return h != nullptr && h != INVALID_HANDLE_VALUE && ::GetFileType(h) != FILE_TYPE_UNKNOWN;
}

std::thread g_logWriter;
int g_logFds[2] = {-1, -1};  // the descriptors of stdout and stderr on the pipe

// A windowed program's stdout and stderr may have no descriptor at all. The
// C runtime's freopen gives them one; Wine's reopens only streams that were
// open, so there the stream is pointed at the usual descriptor directly.
bool HasDescriptor(std::FILE* file, int usual) {
  if (::_fileno(file) >= 0 && ::_get_osfhandle(::_fileno(file)) >= 0) return true;
  if (std::freopen("NUL", "w", file)) return true;
#if defined(_UCRT)
  (void)usual;
  return false;
#else
  const int fd = ::_open("NUL", _O_WRONLY);
  if (fd < 0) return false;
  if (fd != usual) {
    ::_dup2(fd, usual);
    ::_close(fd);
  }
  file->_file = usual;
  file->_flag = _IOWRT;
  return true;
#endif
}

// At exit: the write end closes, the reader writes what is left and ends.
void FinishLog() {
  std::fflush(stdout);
  std::fflush(stderr);
  for (const int fd : g_logFds)
    if (fd >= 0) ::_close(fd);
  if (g_logWriter.joinable()) g_logWriter.join();
}

void LogThroughPipe(bool keepStdout, const std::filesystem::path& logPath, const std::filesystem::path& previousLog) {
  int ends[2];
  if (::_pipe(ends, 4096, _O_BINARY | _O_NOINHERIT) != 0) return;
  const int reader = ends[0];
  std::fflush(stdout);
  std::fflush(stderr);
  // Each stream gets a descriptor first, then that descriptor becomes the pipe.
  struct Stream {
    std::FILE* file;
    DWORD handle;
  };
  const Stream streams[] = {{stdout, STD_OUTPUT_HANDLE}, {stderr, STD_ERROR_HANDLE}};
  for (int i = keepStdout ? 1 : 0; i < 2; ++i) {
    const Stream& s = streams[i];
    if (!HasDescriptor(s.file, i + 1)) continue;
    const int fd = ::_fileno(s.file);
    if (::_dup2(ends[1], fd) != 0) continue;
    ::_setmode(fd, _O_TEXT);  // CR LF line ends, as config.txt has
    std::setvbuf(s.file, nullptr, _IONBF, 0);
    ::SetStdHandle(s.handle, reinterpret_cast<HANDLE>(::_get_osfhandle(fd)));
    g_logFds[i] = fd;
  }
  ::_close(ends[1]);
  g_logWriter = std::thread([reader, logPath, previousLog] {
    CappedLog log(logPath, previousLog, kLogCap);
    char buffer[4096];
    for (int n; (n = ::_read(reader, buffer, sizeof buffer)) > 0;) log.Write({buffer, static_cast<std::size_t>(n)});
    ::_close(reader);
  });
  std::atexit(FinishLog);
}

}  // namespace

void RouteOutput(const std::filesystem::path& logPath, const std::filesystem::path& previousLog) {
  const bool out = Given(STD_OUTPUT_HANDLE), err = Given(STD_ERROR_HANDLE);
  // Attached even when the output was redirected, so that Ctrl-C in the
  // console still reaches the program.
  if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
    if (!out) std::freopen("CONOUT$", "w", stdout);
    if (!err) std::freopen("CONOUT$", "w", stderr);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    return;
  }
  if (!err) LogThroughPipe(out, logPath, previousLog);
}

}  // namespace velmora::platform
