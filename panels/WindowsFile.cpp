// Reading and writing windows.txt.
#include "panels/WindowsFile.h"

#include <charconv>

#include "platform/Files.h"

namespace velmora {

namespace {

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

// The window's number of "window N: ..."; what follows the colon in rest.
std::optional<int> LineLabel(std::string_view line, std::string_view& rest) {
  constexpr std::string_view kWord = "window ";
  if (line.substr(0, kWord.size()) != kWord) return std::nullopt;
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const std::string_view digits = Trimmed(line.substr(kWord.size(), colon - kWord.size()));
  int n = 0;
  auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (digits.empty() || ec != std::errc() || p != digits.data() + digits.size() || n < 1) return std::nullopt;
  rest = Trimmed(line.substr(colon + 1));
  return n;
}

}  // namespace

WindowsFileContent ParseWindowsFile(std::string_view text, const std::string& fileName) {
  WindowsFileContent c;
  int number = 0;
  std::size_t p = 0;
  while (p < text.size()) {
    const std::size_t start = p;
    while (p < text.size() && text[p] != '\r' && text[p] != '\n') ++p;
    const std::string_view line = Trimmed(text.substr(start, p - start));
    if (p < text.size() && text[p] == '\r') ++p;
    if (p < text.size() && text[p] == '\n') ++p;
    ++number;
    if (line.empty() || line.front() == '#') continue;
    auto problem = [&](const std::string& why) {
      c.problems.push_back(fileName + ":" + std::to_string(number) + ": " + why + "; the line is left out");
    };
    std::string_view words;
    const std::optional<int> label = LineLabel(line, words);
    if (!label) {
      problem("not 'window N: ...'");
      continue;
    }
    if (*label == 1) {
      // The first window's place is config.txt's; only its brightness is here.
      const auto dim = words.substr(0, 4) == "dim=" ? ParseBrightness(words.substr(4)) : std::nullopt;
      if (!dim) {
        problem("window 1 keeps only dim=10 to 100 here (its place is in config.txt), not '" + std::string(words) + "'");
        continue;
      }
      c.windows.firstBrightness = *dim;
      continue;
    }
    WindowSetupOutcome setup = ParseWindowSetup(words);
    if (!setup.error.empty()) {
      problem(setup.error);
      continue;
    }
    if (static_cast<int>(c.windows.further.size()) >= kMaxFurtherWindows) {
      problem("more than " + std::to_string(kMaxFurtherWindows) + " further windows");
      continue;
    }
    c.windows.further.push_back(std::move(setup.setup));
  }
  return c;
}

WindowsFileContent ReadWindowsFile(const std::filesystem::path& path) {
  constexpr std::size_t kMaxBytes = 64 << 10;  // a few lines are all it ever holds
  std::error_code exists;
  if (!std::filesystem::exists(path, exists)) return {};
  const std::string name = path.filename().string();
  platform::File file;
  if (std::error_code e = file.Open(path, platform::File::Mode::Read))
    return {{}, {name + ": cannot read it (" + e.message() + "); no windows come back from it"}};
  if (!file.IsRegular()) return {{}, {name + ": not a plain file; no windows come back from it"}};
  std::string text;
  char buf[4096];
  for (;;) {
    std::error_code error;
    const std::size_t n = file.Read(buf, sizeof buf, error);
    if (error) return {{}, {name + ": cannot read it (" + error.message() + "); no windows come back from it"}};
    if (n == 0) break;
    text.append(buf, n);
    if (text.size() >= kMaxBytes) break;
  }
  if (text.size() > kMaxBytes) text.resize(kMaxBytes);
  return ParseWindowsFile(text, name);
}

std::string FormatWindowsFile(const RememberedWindows& w) {
  std::string out =
      "# Velmora's windows as they were at close: the first window's brightness (its\r\n"
      "# place is in config.txt), then each further window in --window's words.\r\n"
      "# Edit a line, or delete the file (or start with --forget-windows) to drop them.\r\n";
  if (w.firstBrightness) out += "window 1: dim=" + std::to_string(*w.firstBrightness) + "\r\n";
  for (std::size_t i = 0; i < w.further.size(); ++i)
    out += "window " + std::to_string(i + 2) + ": " + FormatWindowSetup(w.further[i]) + "\r\n";
  return out;
}

}  // namespace velmora
