// Files on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/Files.h"

namespace velmora::platform {

namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

}  // namespace

File::~File() { Close(); }

std::error_code File::Open(const std::filesystem::path& path, Mode mode) {
  Close();
  int flags = O_CLOEXEC;
  switch (mode) {
    case Mode::Read: flags |= O_RDONLY; break;
    case Mode::Truncate: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
    case Mode::Append: flags |= O_WRONLY | O_CREAT | O_APPEND; break;
  }
  fd_ = ::open(path.c_str(), flags, 0666);
  return fd_ < 0 ? LastError() : std::error_code();
}

bool File::IsRegular() const {
  struct stat st {};
  return fd_ >= 0 && ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode);
}

std::size_t File::Read(char* buffer, std::size_t size, std::error_code& error) {
  for (;;) {
    ssize_t n = ::read(fd_, buffer, size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = LastError();
      return 0;
    }
    return static_cast<std::size_t>(n);
  }
}

std::size_t File::Write(std::string_view data, std::error_code& error) {
  std::size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd_, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? LastError() : std::make_error_code(std::errc::io_error);
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  return done;
}

std::uint64_t File::Size() const {
  struct stat st {};
  return fd_ >= 0 && ::fstat(fd_, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

bool File::Truncate(std::uint64_t size) { return fd_ >= 0 && ::ftruncate(fd_, static_cast<off_t>(size)) == 0; }

std::error_code File::Flush() { return ::fsync(fd_) == 0 ? std::error_code() : LastError(); }

std::error_code File::Close() {
  if (fd_ < 0) return {};
  const int closed = ::close(fd_);
  fd_ = -1;
  return closed == 0 ? std::error_code() : LastError();
}

std::error_code RenameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? std::error_code() : LastError();
}

}  // namespace velmora::platform
