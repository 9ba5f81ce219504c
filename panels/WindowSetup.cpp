// Reading and writing a window's words.
#include "panels/WindowSetup.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace velmora {

namespace {

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

std::optional<int> WholeNumber(std::string_view s) {
  int v = 0;
  if (s.empty()) return std::nullopt;
  const char* first = s.data() + (s.front() == '+' ? 1 : 0);
  auto [p, ec] = std::from_chars(first, s.data() + s.size(), v);
  if (ec != std::errc() || p != s.data() + s.size()) return std::nullopt;
  return v;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

constexpr std::string_view kKeys = "page, display, x, y, width, rotate, dim, borderless, topmost, fullscreen";

}  // namespace

std::optional<int> ParseBrightness(std::string_view text) {
  const auto v = WholeNumber(Trimmed(text));
  if (!v || *v < kMinBrightness || *v > kMaxBrightness) return std::nullopt;
  return v;
}

int SteppedBrightness(int percent, int steps) {
  return std::clamp(percent + steps * kBrightnessStep, kMinBrightness, kMaxBrightness);
}

WindowSetupOutcome ParseWindowSetup(std::string_view text) {
  WindowSetupOutcome r;
  WindowSetup& s = r.setup;
  std::vector<std::string> seen;
  auto fail = [&](std::string why) {
    r.error = std::move(why);
    r.setup = {};
    return r;
  };
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string_view word = Trimmed(text.substr(start, comma - start));
    start = comma + 1;
    if (word.empty()) {
      if (comma == text.size() && !seen.empty()) break;  // a trailing comma
      return fail("an empty word in '" + std::string(text) + "' (words are separated by single commas)");
    }
    const std::size_t eq = word.find('=');
    const std::string key = Lower(Trimmed(word.substr(0, eq)));
    const std::string_view value = eq == std::string_view::npos ? std::string_view() : Trimmed(word.substr(eq + 1));
    const std::string shown = "'" + std::string(value) + "'";
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) return fail(key + " is given twice");
    seen.push_back(key);
    const bool flag = key == "borderless" || key == "topmost" || key == "fullscreen";
    if (flag) {
      if (eq != std::string_view::npos) return fail(key + " is a flag and takes no value, not " + shown);
      (key == "borderless" ? s.borderless : key == "topmost" ? s.topmost : s.fullscreen) = true;
      continue;
    }
    const bool known = key == "page" || key == "display" || key == "x" || key == "y" || key == "width" ||
                       key == "rotate" || key == "dim";
    if (!known) return fail("unknown key '" + key + "' (the keys are " + std::string(kKeys) + ")");
    if (eq == std::string_view::npos || value.empty()) return fail(key + "= needs a value");
    const auto number = WholeNumber(value);
    if (key == "page") {
      if (!number || *number < 1 || *number > 3) return fail("page needs 1 (flight), 2 (tactical) or 3 (link), not " + shown);
      s.page = *number;
    } else if (key == "display") {
      if (value.front() == '-' && AllDigits(value.substr(1)))
        return fail("display needs a monitor number (0 the primary) or name, not " + shown);
      s.display = std::string(value);
    } else if (key == "x" || key == "y") {
      if (!number || *number < -100000 || *number > 100000) return fail(key + " needs a whole number of pixels, not " + shown);
      (key == "x" ? s.x : s.y) = *number;
    } else if (key == "width") {
      if (!number || *number < 100 || *number > 16384) return fail("width needs 100 to 16384 pixels, not " + shown);
      s.width = *number;
    } else if (key == "rotate") {
      if (!number || (*number != 0 && *number != 90 && *number != 180 && *number != 270))
        return fail("rotate needs 0, 90, 180 or 270 (degrees clockwise), not " + shown);
      s.rotation = *number;
    } else {
      const auto dim = ParseBrightness(value);
      if (!dim) return fail("dim needs a brightness from 10 to 100 (percent), not " + shown);
      s.brightness = *dim;
    }
  }
  if (s.x.has_value() != s.y.has_value()) return fail("x= and y= go together (without both, the window is centred)");
  return r;
}

std::string FormatWindowSetup(const WindowSetup& s) {
  std::string out = "page=" + std::to_string(s.page);
  if (!s.display.empty()) out += ",display=" + s.display;
  if (s.x && s.y) out += ",x=" + std::to_string(*s.x) + ",y=" + std::to_string(*s.y);
  out += ",width=" + std::to_string(s.width);
  if (s.rotation) out += ",rotate=" + std::to_string(s.rotation);
  out += ",dim=" + std::to_string(s.brightness);
  if (s.borderless) out += ",borderless";
  if (s.topmost) out += ",topmost";
  if (s.fullscreen) out += ",fullscreen";
  return out;
}

MonitorChoice ChooseMonitor(std::string_view wanted, const std::vector<std::string>& names) {
  const int count = static_cast<int>(names.size());
  auto listed = [&] {
    std::string all;
    for (int i = 0; i < count; ++i) all += (i ? ", " : "") + std::to_string(i) + " '" + names[i] + "'";
    return all.empty() ? std::string("none") : all;
  };
  if (AllDigits(wanted)) {
    const auto n = WholeNumber(wanted);
    if (n && *n < count) return {*n, {}};
    return {0, "there is no monitor " + std::string(wanted) + " (" + std::to_string(count) + " found); using monitor 0"};
  }
  const std::string w = Lower(wanted);
  std::vector<int> parts;
  for (int i = 0; i < count; ++i) {
    const std::string n = Lower(names[i]);
    if (n == w) return {i, {}};
    if (!w.empty() && n.find(w) != std::string::npos) parts.push_back(i);
  }
  if (parts.size() == 1) return {parts.front(), {}};
  const std::string quoted = "'" + std::string(wanted) + "'";
  if (parts.empty())
    return {0, "no monitor is named " + quoted + " (monitors: " + listed() + "); using monitor 0"};
  return {0, quoted + " fits more than one monitor (" + listed() + "); using monitor 0"};
}

std::string MonitorWord(const std::string& name, int index) {
  std::string word(Trimmed(std::string_view(name).substr(0, name.find(','))));
  // A name of digits would be read back as a number.
  return word.empty() || AllDigits(word) ? std::to_string(index) : word;
}

void PlaceOnMonitor(const WindowSetup& setup, const ScreenRect& m, int outerWidth, int outerHeight, int& left,
                    int& top) {
  if (setup.x && setup.y) {
    left = m.x + *setup.x;
    top = m.y + *setup.y;
    const bool overlaps = left < m.x + m.width && m.x < left + outerWidth && top < m.y + m.height && m.y < top + outerHeight;
    if (overlaps) return;
  }
  left = m.x + (m.width - outerWidth) / 2;
  top = m.y + (m.height - outerHeight) / 2;
}

std::string WindowScreenshotFile(const std::string& file, int window) {
  if (window == 0) return file;
  const std::size_t slash = file.find_last_of("/\\");
  std::size_t dot = file.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == slash + 1) dot = file.size();
  return file.substr(0, dot) + "-" + std::to_string(window + 1) + file.substr(dot);
}

}  // namespace velmora
