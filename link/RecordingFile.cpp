// The --record file: whole lines or nothing, through a full disk.
#include "link/RecordingFile.h"

namespace velmora {

RecordingFile::RecordingFile(Report report) : report_(std::move(report)) {}

RecordingFile::~RecordingFile() { Close(); }

std::string RecordingFile::Open(const std::string& path, std::string_view header) {
  Close();
  if (std::error_code e = file_.Open(platform::PathFromUtf8(path), platform::File::Mode::Append))
    return "cannot open --record file " + path + ": " + e.message();
  end_ = file_.Size();
  path_ = path;
  header_ = end_ == 0 ? std::string(header) : std::string();
  tail_.clear();
  written_ = lost_ = 0;
  failing_ = false;
  std::error_code error;
  if (!header_.empty()) {
    if (WholeLine(header_, error) == Write::Done)
      header_.clear();
    else
      Failed(error);  // tried again before the first message
  }
  return {};
}

RecordingFile::Write RecordingFile::WholeLine(std::string_view bytes, std::error_code& error) {
  if (!tail_.empty()) {
    tail_.erase(0, file_.Write(tail_, error));
    if (!tail_.empty()) return Write::Failed;
    end_ = file_.Size();
  }
  const std::size_t n = file_.Write(bytes, error);
  if (n == bytes.size()) {
    end_ += n;
    return Write::Done;
  }
  // Half a line would make the whole recording unreadable: take it back out
  // (shrinking a file needs no space), or finish it next time.
  if (n > 0 && !file_.Truncate(end_)) tail_ = bytes.substr(n);
  return Write::Failed;
}

bool RecordingFile::Append(std::string_view line) {
  if (!file_.IsOpen()) return false;
  std::error_code error;
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

void RecordingFile::Failed(const std::error_code& error) {
  if (failing_) return;
  failing_ = true;
  report_("cannot write the --record file " + path_ + " after " + std::to_string(written_) +
          " messages: " + error.message() + "; trying again with every message");
}

void RecordingFile::Close() {
  if (!file_.IsOpen()) return;
  if (!tail_.empty()) {
    std::error_code error;
    tail_.erase(0, file_.Write(tail_, error));
    if (!tail_.empty() && file_.Truncate(end_)) tail_.clear();
  }
  file_.Close();
}

}  // namespace velmora
