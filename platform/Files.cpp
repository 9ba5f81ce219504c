// The file operations built from the system's primitives.
#include "platform/Files.h"

#include <random>
#include <stdexcept>
#include <string>

namespace velmora::platform {

std::filesystem::path PathFromUtf8(std::string_view name) {
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

ReplaceOutcome ReplaceFileDurably(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::path tmp = path;
  tmp += ".tmp";
  File file;
  if (std::error_code e = file.Open(tmp, File::Mode::Truncate)) return {e, true};
  std::error_code error;
  file.Write(bytes, error);
  if (!error) error = file.Flush();
  if (std::error_code e = file.Close(); e && !error) error = e;
  ReplaceOutcome outcome{error, false};
  if (!error) {
    if (std::error_code e = RenameOver(tmp, path)) outcome = {e, true};
  }
  if (outcome.error) {
    std::error_code ignored;
    std::filesystem::remove(tmp, ignored);
  }
  return outcome;
}

TempDir::TempDir(std::string_view prefix) {
  std::random_device seed;
  std::mt19937_64 random(seed());
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path candidate = base / (std::string(prefix) + std::to_string(random() % 1000000000));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder in " + base.string());
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace velmora::platform
