#include "platform/Log.h"

namespace velmora::platform {

CappedLog::CappedLog(std::filesystem::path path, std::filesystem::path previous, std::uint64_t cap)
    : path_(std::move(path)), previous_(std::move(previous)), cap_(cap) {
  Open();
}

void CappedLog::Open() {
  if (file_.Open(path_, File::Mode::Append)) return;
  size_ = file_.Size();
}

void CappedLog::Write(std::string_view text) {
  if (text.size() > cap_) text = text.substr(text.size() - cap_);
  if (!file_.IsOpen() || size_ + text.size() > cap_) {
    file_.Close();
    if (size_ > 0) RenameOver(path_, previous_);
    size_ = 0;
    Open();
    if (!file_.IsOpen()) return;
  }
  std::error_code error;
  size_ += file_.Write(text, error);
}

}  // namespace velmora::platform
