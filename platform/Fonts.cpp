// The font search order, the same on every system.
#include "platform/Fonts.h"

#include <cstdlib>
#include <filesystem>

namespace velmora::platform {

namespace {

std::filesystem::path FromUtf8(const std::string& s) { return std::filesystem::path(std::u8string(s.begin(), s.end())); }

std::string ExistingOrEmpty(const std::string& file) {
  std::error_code error;
  return std::filesystem::is_regular_file(FromUtf8(file), error) ? file : std::string();
}

}  // namespace

std::string BundledFontFile(const std::string& dir, bool bold, bool italic) {
  const char* style = bold ? (italic ? "BoldItalic" : "Bold") : (italic ? "Italic" : "Regular");
  const std::u8string file = (FromUtf8(dir) / (std::string("LiberationSans-") + style + ".ttf")).u8string();
  return std::string(file.begin(), file.end());
}

std::string FindFontFile(const std::string& face, bool bold, bool italic) {
  if (const char* forced = std::getenv("VELMORA_FONT_DIR"); forced && *forced)
    return ExistingOrEmpty(BundledFontFile(forced, bold, italic));
  if (std::string file = SystemFontFile(face, bold, italic); !file.empty()) return file;
  return ExistingOrEmpty(BundledFontFile(BundledFontDir(), bold, italic));
}

}  // namespace velmora::platform
