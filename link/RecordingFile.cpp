// The --record file: whole lines or nothing, through a full disk.
#include "link/RecordingFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

namespace {

// Bytes written before the first failure; error holds its errno.
std::size_t WriteSome(int fd, std::string_view data, int& error) {
  std::size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : EIO;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  return done;
}

}  // namespace

RecordingFile::RecordingFile(Report report) : report_(std::move(report)) {}

RecordingFile::~RecordingFile() { Close(); }

std::string RecordingFile::Open(const std::string& path, std::string_view header) {
  Close();
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd_ < 0) return "cannot open --record file " + path + ": " + std::strerror(errno);
  struct stat st {};
  end_ = ::fstat(fd_, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
  path_ = path;
  header_ = end_ == 0 ? std::string(header) : std::string();
  tail_.clear();
  written_ = lost_ = 0;
  failing_ = false;
  int error = 0;
  if (!header_.empty()) {
    if (WholeLine(header_, error) == Write::Done)
      header_.clear();
    else
      Failed(error);  // tried again before the first message
  }
  return {};
}

RecordingFile::Write RecordingFile::WholeLine(std::string_view bytes, int& error) {
  if (!tail_.empty()) {
    tail_.erase(0, WriteSome(fd_, tail_, error));
    if (!tail_.empty()) return Write::Failed;
    struct stat st {};
    if (::fstat(fd_, &st) == 0) end_ = static_cast<std::uint64_t>(st.st_size);
  }
  const std::size_t n = WriteSome(fd_, bytes, error);
  if (n == bytes.size()) {
    end_ += n;
    return Write::Done;
  }
  // Half a line would make the whole recording unreadable: take it back out
  // (shrinking a file needs no space), or finish it next time.
  if (n > 0 && ::ftruncate(fd_, static_cast<off_t>(end_)) != 0) tail_ = bytes.substr(n);
  return Write::Failed;
}

bool RecordingFile::Append(std::string_view line) {
  if (fd_ < 0) return false;
  int error = 0;
  bool ok = true;
  if (!header_.empty()) {
    ok = WholeLine(header_, error) == Write::Done;
    if (ok) header_.clear();
  }
  ok = ok && WholeLine(line, error) == Write::Done;
  if (ok) {
    ++written_;
    if (failing_) {
      report_("writing the --record file " + path_ + " again; " + std::to_string(lost_) +
              " messages could not be recorded");
      failing_ = false;
      lost_ = 0;
    }
    return true;
  }
  ++lost_;
  Failed(error);
  return false;
}

void RecordingFile::Failed(int error) {
  if (failing_) return;
  failing_ = true;
  report_("cannot write the --record file " + path_ + " after " + std::to_string(written_) +
          " messages: " + std::strerror(error) + "; trying again with every message");
}

void RecordingFile::Close() {
  if (fd_ < 0) return;
  if (!tail_.empty()) {
    int error = 0;
    tail_.erase(0, WriteSome(fd_, tail_, error));
    if (!tail_.empty() && ::ftruncate(fd_, static_cast<off_t>(end_)) == 0) tail_.clear();
  }
  ::close(fd_);
  fd_ = -1;
}

}  // namespace velmora
