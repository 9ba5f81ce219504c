// QR codes through libqrencode, when the build found it.
#include "pages/QrCode.h"

#if VELMORA_HAVE_QRENCODE
#include <qrencode.h>
#endif

namespace velmora {

#if VELMORA_HAVE_QRENCODE

bool QrCodesAvailable() { return true; }

std::optional<QrCode> EncodeQrCode(const std::string& text) {
  // Upper-case letters would allow the denser alphanumeric mode, but a URL's
  // path is case-sensitive: 8-bit mode, case kept.
  QRcode* q = QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
  if (!q) return std::nullopt;
  QrCode code;
  code.size = q->width;
  code.modules.resize(static_cast<std::size_t>(q->width) * static_cast<std::size_t>(q->width));
  // Bit 0 of each byte is the module's colour; the others say what it is for.
  for (std::size_t i = 0; i < code.modules.size(); ++i) code.modules[i] = q->data[i] & 1;
  QRcode_free(q);
  return code;
}

#else

bool QrCodesAvailable() { return false; }

std::optional<QrCode> EncodeQrCode(const std::string&) { return std::nullopt; }

#endif

}  // namespace velmora
