// velmora: the display program's entry point.
#include <SDL.h>

#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "app/Application.h"
#include "app/CommandLine.h"
#include "platform/Console.h"
#include "platform/Signals.h"
#include "velmora/Version.h"

namespace {

// The application title: the executable's name up to its first ".", the
// first letter as it is and the rest in lower case.
std::string ApplicationTitle(const char* argv0) {
  std::string name = argv0 ? argv0 : "velmora";
  if (auto slash = name.find_last_of("/\\"); slash != std::string::npos) name.erase(0, slash + 1);
  if (auto dot = name.find('.'); dot != std::string::npos) name.erase(dot);
  for (std::size_t i = 1; i < name.size(); ++i)
    name[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
  return name.empty() ? "velmora" : name;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace velmora;
  // Beside config.txt, in the working folder.
  platform::RouteOutput("velmora.log", "velmora.old.log");
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const ParseOutcome parsed = ParseCommandLine(args);
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "velmora: %s\n", parsed.error.c_str());
    return 2;
  }
  if (parsed.options.help) {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }
  if (parsed.options.version) {
    std::printf("Velmora %s\n", std::string(kVersion).c_str());
    return 0;
  }
  // Ctrl-C and the like end the run the ordinary way, saving config.txt.
  platform::OnStopRequest(RequestStop);
  return RunDisplay(parsed.options, ApplicationTitle(argc > 0 ? argv[0] : nullptr));
}
