// The file behind --record: whole lines appended as they come, so that a
// recording attached to a bug report always reads back, even after the disk
// filled up while the display was running.
//
// A line that cannot be written completely (no space, a file-size limit) is
// taken back out of the file at once; where even that fails, its missing
// rest is written first on the next attempt. The first failure is reported
// with the number of messages written so far; the display keeps running and
// every later line is tried again, and the first one that gets through is
// reported too, with the number of messages lost in between.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace velmora {

class RecordingFile {
 public:
  using Report = std::function<void(const std::string&)>;

  // report receives one complete sentence per event, without a line end.
  explicit RecordingFile(Report report);
  ~RecordingFile();
  RecordingFile(const RecordingFile&) = delete;
  RecordingFile& operator=(const RecordingFile&) = delete;

  // Opens path for appending, creating it. A new or empty file starts with
  // header. Returns the reason when the file cannot be opened, else empty.
  std::string Open(const std::string& path, std::string_view header);

  // Appends one line (with its line end). False when it did not reach the file.
  bool Append(std::string_view line);

  void Close();

  std::uint64_t written() const { return written_; }

 private:
  enum class Write { Done, Failed };
  // Writes bytes behind the last complete line; on failure leaves the file
  // ending at a complete line, or remembers the missing rest in tail_.
  Write WholeLine(std::string_view bytes, int& error);
  void Failed(int error);  // reports the first failure of a run of them

  Report report_;
  std::string path_;
  int fd_ = -1;
  std::string header_;     // still to be written when not empty
  std::string tail_;       // rest of a line cut short that could not be taken back
  std::uint64_t end_ = 0;  // file size after the last complete line
  std::uint64_t written_ = 0;
  std::uint64_t lost_ = 0;
  bool failing_ = false;
};

}  // namespace velmora
