// The browser view where its libraries (websocketpp, libjpeg-turbo) are not
// built: --web fails at start with a clear message, as a taken port would.
#include <string>

#include "app/WebView.h"

namespace velmora {

struct WebView::Impl {};

const std::string& WebPage(int) {
  static const std::string empty;
  return empty;
}

WebView::WebView(const std::string&, std::uint16_t, WebLimits, int) {
  throw std::runtime_error("the browser view (--web) is not part of this build");
}

WebView::~WebView() = default;
std::uint16_t WebView::Port() const { return 0; }
std::size_t WebView::Viewers() const { return 0; }
void WebView::FramePresented(Platform&) {}
std::optional<int> WebView::TakePageRequest() { return std::nullopt; }
void WebView::SetRotation(int) {}

}  // namespace velmora
