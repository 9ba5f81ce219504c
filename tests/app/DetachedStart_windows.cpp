// velmora-detached-start PROGRAM [ARGS...]: starts PROGRAM the way Explorer
// or a shortcut does, with no console and no standard handles, waits for it
// and exits with its status.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

// One argument as CommandLineToArgvW reads it back.
std::wstring Quoted(const wchar_t* arg) {
  std::wstring out = L"\"";
  std::size_t slashes = 0;
  for (const wchar_t* p = arg; *p; ++p) {
    if (*p == L'\\') {
      ++slashes;
      continue;
    }
    out.append(*p == L'"' ? 2 * slashes + 1 : slashes, L'\\');
    slashes = 0;
    out += *p;
  }
  out.append(2 * slashes, L'\\');
  return out + L"\"";
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  if (!argv || argc < 2) {
    std::fprintf(stderr, "usage: velmora-detached-start PROGRAM [ARGS...]\n");
    return 2;
  }
  std::wstring line;
  for (int i = 1; i < argc; ++i) line += (i > 1 ? L" " : L"") + Quoted(argv[i]);
  STARTUPINFOW start{};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;  // all three left null
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(argv[1], line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr, &start,
                        &process)) {
    std::fprintf(stderr, "velmora-detached-start: cannot start the program (error %lu)\n", ::GetLastError());
    return 2;
  }
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 1;
  ::GetExitCodeProcess(process.hProcess, &status);
  return static_cast<int>(status);
}
