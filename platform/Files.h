// Files as the display needs them: unbuffered reads and writes that say how
// far they got, a file replaced whole or not at all, and temporary folders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace velmora::platform {

class File {
 public:
  enum class Mode {
    Read,
    Truncate,  // write, created or emptied
    Append,    // write at the end, created when missing
  };

  File() = default;
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens path (closing what was open); the reason when it cannot.
  std::error_code Open(const std::filesystem::path& path, Mode mode);
  bool IsOpen() const { return fd_ >= 0; }
  // A plain file, not a folder, a device or a pipe.
  bool IsRegular() const;
  // Bytes read, 0 at the end or on failure (then error says why).
  std::size_t Read(char* buffer, std::size_t size, std::error_code& error);
  // Bytes written before the first failure; error says why it stopped.
  std::size_t Write(std::string_view data, std::error_code& error);
  // The file's length now, 0 when it cannot be told.
  std::uint64_t Size() const;
  // Cuts the file to size bytes; false when it could not.
  bool Truncate(std::uint64_t size);
  // Waits until what was written is on the disk.
  std::error_code Flush();
  std::error_code Close();

 private:
  int fd_ = -1;
};

// A file name given in UTF-8 (the command line's), as a path. On Windows a
// path made straight from a char string would read it in the ANSI code page.
std::filesystem::path PathFromUtf8(std::string_view name);

// Moves from onto to, replacing to when it exists.
std::error_code RenameOver(const std::filesystem::path& from, const std::filesystem::path& to);

struct ReplaceOutcome {
  std::error_code error;  // empty on success
  bool placing = false;   // the failure was creating or renaming the file, not writing it
};

// Replaces path with bytes whole or not at all: written to path + ".tmp",
// flushed to the disk, then renamed over path. On failure path is untouched
// and the temporary file removed.
ReplaceOutcome ReplaceFileDurably(const std::filesystem::path& path, std::string_view bytes);

// A new empty folder under the system's temporary folder, named prefix plus
// a random tail; removed with everything in it when the object goes.
class TempDir {
 public:
  explicit TempDir(std::string_view prefix);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace velmora::platform
