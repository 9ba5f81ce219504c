// Fonts on Linux: fontconfig's best match for the face.
#include <fontconfig/fontconfig.h>

#include <filesystem>

#include "platform/Fonts.h"

namespace velmora::platform {

namespace {
bool g_fontconfigStarted = false;
}  // namespace

std::string SystemFontFile(const std::string& face, bool bold, bool italic) {
  std::string path;
  if (!FcInit()) return path;
  g_fontconfigStarted = true;
  FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>(face.empty() ? "sans-serif" : face.c_str()));
  if (!pat) return path;
  FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pat, &result);
  if (match) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
      path = reinterpret_cast<const char*>(file);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pat);
  return path;
}

void ReleaseFontLookups() {
  if (!g_fontconfigStarted) return;
  FcFini();
  g_fontconfigStarted = false;
}

std::string BundledFontDir() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : exe.parent_path().string();
}

}  // namespace velmora::platform
