// Reading the bindings file.
#include "panels/Bindings.h"

#include <array>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace velmora {
namespace {

// More windows than any cockpit has; a bigger number is a typing slip.
constexpr int kMaxWindow = 99;
// SDL numbers joysticks and their buttons from 0; no device has this many.
constexpr int kMaxNumber = 999;

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

std::string_view Trimmed(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// The next word (up to a blank), or a "quoted" text as one word without its
// quotes; quoted tells which. s loses what was taken.
std::string_view NextWord(std::string_view& s, bool* quoted = nullptr) {
  s = Trimmed(s);
  std::string_view word;
  if (!s.empty() && s.front() == '"') {
    const auto end = s.find('"', 1);
    word = s.substr(1, end == std::string_view::npos ? std::string_view::npos : end - 1);
    s.remove_prefix(end == std::string_view::npos ? s.size() : end + 1);
    if (quoted) *quoted = true;
    return word;
  }
  std::size_t n = 0;
  while (n < s.size() && s[n] != ' ' && s[n] != '\t') ++n;
  word = s.substr(0, n);
  s.remove_prefix(n);
  if (quoted) *quoted = false;
  return word;
}

bool WholeNumber(std::string_view s, int lo, int hi, int& out) {
  if (s.empty()) return false;
  const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && p == s.data() + s.size() && out >= lo && out <= hi;
}

std::string Quote(std::string_view s) { return "'" + std::string(s) + "'"; }

// The key names a binding may use, spelt as SDL names the keys.
const std::vector<std::string>& KeyNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (char c = 'A'; c <= 'Z'; ++c) n.emplace_back(1, c);
    for (char c = '0'; c <= '9'; ++c) n.emplace_back(1, c);
    for (int f = 1; f <= 24; ++f) n.push_back("F" + std::to_string(f));
    for (char c = '0'; c <= '9'; ++c) n.push_back(std::string("Keypad ") + c);
    for (const char* k : {"Keypad +", "Keypad -", "Keypad *", "Keypad /", "Keypad Enter", "Keypad .", "Space",
                          "Return", "Escape", "Tab", "Backspace", "Insert", "Delete", "Home", "End", "PageUp",
                          "PageDown", "Up", "Down", "Left", "Right", "Pause", "ScrollLock", "PrintScreen"})
      n.emplace_back(k);
    return n;
  }();
  return names;
}

constexpr std::array<std::pair<std::string_view, InputEvent::Kind>, 5> kActions{{
    {"flight", InputEvent::ShowFlightPage},
    {"tactical", InputEvent::ShowTacticalPage},
    {"link", InputEvent::ShowLinkPage},
    {"brighter", InputEvent::Brighter},
    {"dimmer", InputEvent::Dimmer},
}};

// One line without its comment; the reason when it is bad.
std::string ParseLine(std::string_view line, Binding& b) {
  const auto equals = line.find('=');
  if (equals == std::string_view::npos) return "no '=': a line reads as key F5 = tactical";
  std::string_view input = line.substr(0, equals), target = line.substr(equals + 1);

  const std::string_view source = NextWord(input);
  if (SameWord(source, "key")) {
    std::string_view name = Trimmed(input);
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
    if (name.empty()) return "key needs a name, as key F5";
    const std::string_view known = KnownKeyName(name);
    if (known.empty()) return "unknown key name " + Quote(name) + " (--print-buttons shows a key's name)";
    b.source = Binding::Key;
    b.key = std::string(known);
  } else if (SameWord(source, "joystick")) {
    bool quoted = false;
    const std::string_view device = NextWord(input, &quoted);
    if (quoted && !device.empty()) {
      b.joystickName = std::string(device);
    } else if (quoted || !WholeNumber(device, 0, kMaxNumber, b.joystick)) {
      return "joystick needs its number (0 the first) or a part of its name in double quotes, not " + Quote(device);
    }
    const std::string_view word = NextWord(input), number = NextWord(input);
    if (!SameWord(word, "button") || !WholeNumber(number, 0, kMaxNumber, b.button))
      return "joystick " + std::string(quoted ? "\"" + std::string(device) + "\"" : device) +
             " needs button N (0 the first), as --print-buttons shows it";
    if (!Trimmed(input).empty()) return "unexpected " + Quote(Trimmed(input)) + " before '='";
    b.source = Binding::JoystickButton;
  } else {
    return "unknown input " + Quote(source) + ": a line starts with key or joystick";
  }

  std::string_view word = NextWord(target);
  if (SameWord(word, "window")) {
    const std::string_view number = NextWord(target);
    int window = 0;
    if (!WholeNumber(number, 1, kMaxWindow, window))
      return "window needs a number from 1 (the first) to " + std::to_string(kMaxWindow) + ", not " + Quote(number);
    b.event.window = window - 1;
    word = NextWord(target);
  }
  bool known = false;
  for (const auto& [name, kind] : kActions)
    if (SameWord(word, name)) {
      b.event.kind = kind;
      known = true;
    }
  if (!known) return "unknown action " + Quote(word) + ": flight, tactical, link, brighter or dimmer";
  if (!Trimmed(target).empty()) return "unexpected " + Quote(Trimmed(target)) + " after the action";
  return {};
}

}  // namespace

std::string_view KnownKeyName(std::string_view name) {
  // "Keypad  1" and "keypad 1" are "Keypad 1".
  std::string spaced;
  for (std::string_view rest = Trimmed(name); !rest.empty();) {
    const std::string_view word = NextWord(rest);
    if (!spaced.empty()) spaced += ' ';
    spaced.append(word);
    rest = Trimmed(rest);
  }
  if (SameWord(spaced, "Enter")) spaced = "Return";
  if (SameWord(spaced, "Esc")) spaced = "Escape";
  for (const std::string& k : KeyNames())
    if (SameWord(k, spaced)) return k;
  return {};
}

bool JoystickNameMatches(std::string_view deviceName, std::string_view part) {
  if (part.empty() || part.size() > deviceName.size()) return false;
  for (std::size_t i = 0; i + part.size() <= deviceName.size(); ++i)
    if (SameWord(deviceName.substr(i, part.size()), part)) return true;
  return false;
}

BindingsFile ParseBindings(std::string_view text, std::string_view fileName) {
  BindingsFile out;
  int number = 0;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++number;
    // "#" starts a comment, except inside a quoted joystick name.
    bool inQuotes = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '"') inQuotes = !inQuotes;
      if (line[i] == '#' && !inQuotes) {
        line = line.substr(0, i);
        break;
      }
    }
    if (Trimmed(line).empty()) continue;
    Binding b;
    b.line = number;
    if (std::string reason = ParseLine(line, b); !reason.empty())
      out.problems.push_back(std::string(fileName) + ":" + std::to_string(number) + ": " + reason);
    else
      out.bindings.push_back(std::move(b));
  }
  return out;
}

BindingsFile ReadBindingsFile(const std::filesystem::path& path, const std::string& shownName, bool missingOk) {
  BindingsFile none;
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (missingOk && status.type() == std::filesystem::file_type::not_found) return none;
  // A bindings file is a few dozen lines; anything this big is not one.
  constexpr std::uintmax_t kMaxBytes = 1 << 20;
  const std::uintmax_t size = std::filesystem::is_regular_file(status) ? std::filesystem::file_size(path, ec) : 0;
  std::ifstream file;
  if (std::filesystem::is_regular_file(status) && size <= kMaxBytes) file.open(path, std::ios::binary);
  if (!file.is_open()) {
    none.problems.push_back(shownName + ": " + (size > kMaxBytes ? "not a bindings file (over 1 MB)"
                                                            : "cannot read the bindings file"));
    return none;
  }
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return ParseBindings(text, shownName);
}

}  // namespace velmora
