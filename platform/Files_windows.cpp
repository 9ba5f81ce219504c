// Files on Windows: the C runtime's descriptors (errno-style reasons, like
// POSIX), _commit for the flush to disk, MoveFileEx for the replace.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>

#include "platform/Files.h"

namespace velmora::platform {

namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

// The reasons the callers tell apart, in errno terms.
std::error_code FromWindows(DWORD code) {
  switch (code) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return std::make_error_code(std::errc::permission_denied);
    case ERROR_WRITE_PROTECT: return std::make_error_code(std::errc::read_only_file_system);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return std::make_error_code(std::errc::no_space_on_device);
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return std::make_error_code(std::errc::no_such_file_or_directory);
    default: return std::make_error_code(std::errc::io_error);
  }
}

}  // namespace

File::~File() { Close(); }

std::error_code File::Open(const std::filesystem::path& path, Mode mode) {
  Close();
  int flags = _O_BINARY | _O_NOINHERIT;
  switch (mode) {
    case Mode::Read: flags |= _O_RDONLY; break;
    case Mode::Truncate: flags |= _O_WRONLY | _O_CREAT | _O_TRUNC; break;
    case Mode::Append: flags |= _O_WRONLY | _O_CREAT | _O_APPEND; break;
  }
  fd_ = ::_wopen(path.c_str(), flags, _S_IREAD | _S_IWRITE);
  return fd_ < 0 ? LastError() : std::error_code();
}

bool File::IsRegular() const {
  struct _stat64 st {};
  return fd_ >= 0 && ::_fstat64(fd_, &st) == 0 && (st.st_mode & _S_IFMT) == _S_IFREG;
}

std::size_t File::Read(char* buffer, std::size_t size, std::error_code& error) {
  const int n = ::_read(fd_, buffer, static_cast<unsigned>(size > INT_MAX ? INT_MAX : size));
  if (n < 0) {
    error = LastError();
    return 0;
  }
  return static_cast<std::size_t>(n);
}

std::size_t File::Write(std::string_view data, std::error_code& error) {
  std::size_t done = 0;
  while (done < data.size()) {
    const std::size_t chunk = data.size() - done > INT_MAX ? INT_MAX : data.size() - done;
    const int n = ::_write(fd_, data.data() + done, static_cast<unsigned>(chunk));
    if (n <= 0) {
      error = n < 0 ? LastError() : std::make_error_code(std::errc::io_error);
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  return done;
}

std::uint64_t File::Size() const {
  if (fd_ < 0) return 0;
  const long long size = ::_filelengthi64(fd_);
  return size < 0 ? 0 : static_cast<std::uint64_t>(size);
}

bool File::Truncate(std::uint64_t size) {
  return fd_ >= 0 && ::_chsize_s(fd_, static_cast<long long>(size)) == 0;
}

std::error_code File::Flush() { return ::_commit(fd_) == 0 ? std::error_code() : LastError(); }

std::error_code File::Close() {
  if (fd_ < 0) return {};
  const int closed = ::_close(fd_);
  fd_ = -1;
  return closed == 0 ? std::error_code() : LastError();
}

std::error_code RenameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return {};
  return FromWindows(::GetLastError());
}

}  // namespace velmora::platform
