// Fonts on Windows: the face's files in the system fonts folder.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>

#include "platform/Fonts.h"

namespace velmora::platform {

namespace {

std::string ToUtf8(const std::filesystem::path& p) {
  const std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}

struct FaceFiles {
  std::string_view face;  // lower case
  const char* files[4];   // regular, bold, italic, bold italic
};

// The faces the display asks for, by their file names in the fonts folder.
constexpr FaceFiles kFaces[] = {
    {"arial", {"arial.ttf", "arialbd.ttf", "ariali.ttf", "arialbi.ttf"}},
};

std::filesystem::path FontsFolder() {
  PWSTR folder = nullptr;
  std::filesystem::path result;
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Fonts, 0, nullptr, &folder))) result = folder;
  ::CoTaskMemFree(folder);
  return result;
}

}  // namespace

std::string SystemFontFile(const std::string& face, bool bold, bool italic) {
  std::string lower = face.empty() ? "arial" : face;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const auto known = std::find_if(std::begin(kFaces), std::end(kFaces), [&](const FaceFiles& f) { return f.face == lower; });
  if (known == std::end(kFaces)) return {};
  const std::filesystem::path folder = FontsFolder();
  if (folder.empty()) return {};
  const std::filesystem::path file = folder / known->files[(bold ? 1 : 0) + (italic ? 2 : 0)];
  std::error_code error;
  return std::filesystem::is_regular_file(file, error) ? ToUtf8(file) : std::string();
}

void ReleaseFontLookups() {}

std::string BundledFontDir() {
  wchar_t exe[MAX_PATH];
  const DWORD n = ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
  if (n == 0 || n == MAX_PATH) return {};
  return ToUtf8(std::filesystem::path(exe).parent_path());
}

}  // namespace velmora::platform
