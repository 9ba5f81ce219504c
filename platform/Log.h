// A log file that stays small: when the next write would carry it past its
// cap, the file becomes the previous log (replacing the one before) and a
// new one starts. So at most two files, each at most the cap, are ever kept.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "platform/Files.h"

namespace velmora::platform {

class CappedLog {
 public:
  // previous: where the full log goes when a new one starts.
  CappedLog(std::filesystem::path path, std::filesystem::path previous, std::uint64_t cap);

  // Appends text (a write larger than the cap is cut to it). Failures are
  // dropped: a log must never stop the program.
  void Write(std::string_view text);

 private:
  void Open();
  std::filesystem::path path_, previous_;
  std::uint64_t cap_;
  std::uint64_t size_ = 0;
  File file_;
};

}  // namespace velmora::platform
