// The browser view on websocketpp over standalone Asio: one thread runs the
// server; the encoder thread posts each finished JPEG to it.
#include "web/WebView.h"

#include <websocketpp/config/asio_no_tls.hpp>
#include <websocketpp/server.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <future>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "web/FrameEncoder.h"
#include "web/TabletIcon.h"
#include "window/Platform.h"
#include "assets/BezelButtons.h"

namespace velmora {
namespace {

namespace http = websocketpp::http;

// The request parser with the byte limit applied as the bytes arrive: a
// request over the limit is answered 431 (or 413 for its body) and closed
// before it is read any further.
class LimitedRequest : public http::parser::request {
 public:
  std::size_t consume(char const* buf, std::size_t len) {
    const std::size_t used = http::parser::request::consume(buf, len);
    seen_ += used;
    if (seen_ > limit_)
      throw http::exception("Request too large", get_header("Content-Length").empty()
                                                     ? http::status_code::request_header_fields_too_large
                                                     : http::status_code::request_entity_too_large);
    return used;
  }
  static void SetLimit(std::size_t limit) { limit_ = limit; }

 private:
  std::size_t seen_ = 0;
  static inline std::size_t limit_ = 8192;
};

struct WebConfig : websocketpp::config::asio {
  using type = WebConfig;
  using request_type = LimitedRequest;
  static const websocketpp::log::level elog_level = websocketpp::log::elevel::none;
  static const websocketpp::log::level alog_level = websocketpp::log::alevel::none;
  // Frames are whole JPEGs: no need to accept big messages from viewers.
  static const std::size_t max_message_size = 4096;
};

using Server = websocketpp::server<WebConfig>;
using Handle = websocketpp::connection_hdl;

// A viewer whose socket still holds this much unsent skips frames until it
// has caught up, so a slow tablet sees fewer frames, never older ones.
constexpr std::size_t kMaxUnsent = 512 * 1024;

// A panel turned clockwise by `rotation` degrees: the picture arrives
// turned, so the page takes its shape and the buttons' turned rectangles.
std::string BuildPage(int rotation) {
  constexpr int kW = 1024, kH = 650;
  const bool sideways = rotation == 90 || rotation == 270;
  std::string buttons;
  for (const BezelButton& b : kPageButtons) {
    int x = b.x, y = b.y, w = b.w, h = b.h;
    if (rotation == 90) x = kH - b.y - b.h, y = b.x, w = b.h, h = b.w;
    if (rotation == 180) x = kW - b.x - b.w, y = kH - b.y - b.h;
    if (rotation == 270) x = b.y, y = kW - b.x - b.w, w = b.h, h = b.w;
    if (!buttons.empty()) buttons += ",";
    buttons += "[" + std::to_string(b.page) + "," + std::to_string(x) + "," + std::to_string(y) + "," +
               std::to_string(w) + "," + std::to_string(h) + "]";
  }
  const std::string shape =
      sideways ? "width:min(100vw,62.5vh);aspect-ratio:0.625" : "width:min(100vw,160vh);aspect-ratio:1.6";
  const std::string natural = sideways ? "w=pic.naturalWidth||650, h=pic.naturalHeight||1024"
                                       : "w=pic.naturalWidth||1024, h=pic.naturalHeight||650";
  return R"(<!doctype html>
<html><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width,initial-scale=1,user-scalable=no">
<meta name="theme-color" content="#000000">
<meta name="mobile-web-app-capable" content="yes">
<meta name="apple-mobile-web-app-capable" content="yes">
<meta name="apple-mobile-web-app-status-bar-style" content="black">
<link rel="manifest" href="/manifest.webmanifest">
<link rel="icon" type="image/png" href="/icon-192.png">
<link rel="apple-touch-icon" href="/icon-192.png">
<title>Velmora</title>
<style>
html,body{margin:0;height:100%;background:#000;overflow:hidden}
body{display:flex;align-items:center;justify-content:center}
#pic{display:block;)" + shape + R"(;touch-action:manipulation;user-select:none;-webkit-user-select:none}
#note{position:fixed;left:0;right:0;top:45%;text-align:center;color:#888;font:16px sans-serif}
#pic{transition:filter .3s}
body.lost #pic{filter:brightness(.35) grayscale(.7)}
body.lost #note{color:#fff;font-weight:bold;text-shadow:0 0 4px #000}
</style></head>
<body><img id="pic" alt=""><div id="note">connecting…</div>
<script>
// Bezel buttons: [page, x, y, w, h] in the picture's pixels.
const buttons=[)" + buttons + R"(];
const pic=document.getElementById('pic'), note=document.getElementById('note');
let shown=null, ws=null, live=false, delay=500, retry=null, lastFrame=0, opening=null;
// Lost: the last picture stays, dimmed, with what is being done about it.
function lost(){
  live=false;
  clearTimeout(opening);
  if(ws){ws.onopen=ws.onmessage=ws.onclose=null;try{ws.close();}catch(e){}ws=null;}
  if(shown)document.body.classList.add('lost');
  note.textContent='Display not connected: trying again in '+Math.round(delay/1000*10)/10+' s';
  clearTimeout(retry);
  retry=setTimeout(connect,delay);
  // Back off to a try every 8 s while the display stays away.
  delay=Math.min(delay*2,8000);
}
function connect(){
  clearTimeout(retry);
  if(ws)return;
  ws=new WebSocket((location.protocol==='https:'?'wss://':'ws://')+location.host+'/stream');
  ws.binaryType='blob';
  // A display that takes the connection and never answers (a hung program,
  // a link gone half-open) would leave the page on the browser's own
  // time-out, minutes long: on a LAN an answer takes well under 3 s.
  opening=setTimeout(lost,3000);
  ws.onopen=()=>{clearTimeout(opening);lastFrame=Date.now();};
  ws.onmessage=e=>{
    const u=URL.createObjectURL(e.data);pic.src=u;if(shown)URL.revokeObjectURL(shown);shown=u;
    lastFrame=Date.now();
    if(!live){live=true;delay=500;note.textContent='';document.body.classList.remove('lost');}
  };
  ws.onclose=lost;
}
// A Wi-Fi link that drops can leave the socket open with nothing coming:
// frames come 30 a second, so four quiet seconds mean it is gone.
setInterval(()=>{if(ws&&lastFrame&&Date.now()-lastFrame>4000){lastFrame=0;lost();}},1000);
// Back on the network, or shown again: try at once.
function now(){if(!ws){delay=500;connect();}}
addEventListener('online',now);
// The screen stays on while the page shows, where the browser allows it
// (the Wake Lock API needs HTTPS or localhost in most browsers).
async function keepAwake(){try{if(navigator.wakeLock&&document.visibilityState==='visible')await navigator.wakeLock.request('screen');}catch(e){}}
document.addEventListener('visibilitychange',()=>{if(document.visibilityState==='visible'){keepAwake();now();}});
keepAwake();
pic.addEventListener('click',e=>{
  const r=pic.getBoundingClientRect(), )" + natural + R"(;
  const x=(e.clientX-r.left)*w/r.width, y=(e.clientY-r.top)*h/r.height;
  for(const [page,bx,by,bw,bh] of buttons)
    if(x>=bx&&x<bx+bw&&y>=by&&y<by+bh){fetch('/page',{method:'POST',body:String(page)});return;}
  if(document.fullscreenElement)document.exitFullscreen();
  else if(document.documentElement.requestFullscreen)document.documentElement.requestFullscreen().catch(()=>{});
});
connect();
</script></body></html>
)";
}

// "Add to Home Screen" opens the view full-screen, landscape, on black.
const std::string& WebManifest() {
  static const std::string manifest = R"({"name":"Velmora display","short_name":"Velmora","start_url":"/",)"
                                      R"("scope":"/","display":"fullscreen","orientation":"landscape",)"
                                      R"("background_color":"#000000","theme_color":"#000000","icons":[)"
                                      R"({"src":"/icon-192.png","sizes":"192x192","type":"image/png","purpose":"any maskable"},)"
                                      R"({"src":"/icon-512.png","sizes":"512x512","type":"image/png","purpose":"any maskable"}]})";
  return manifest;
}

// Drawn on first request (from the server thread only).
const std::string& Icon192() {
  static const std::string png = TabletIconPng(192);
  return png;
}
const std::string& Icon512() {
  static const std::string png = TabletIconPng(512);
  return png;
}

// A browser names the site a request comes from in its Origin header. A
// page switch from any other site than the display's own (a page the pilot
// opened in another tab, on this PC or the network) is refused: such a POST
// needs no preflight, so the browser would send it unasked. A request
// without an Origin is not a browser's cross-site one (curl, a script) and
// is let through.
bool FromOwnPage(const std::string& origin, const std::string& host) {
  if (origin.empty()) return true;
  const std::size_t scheme = origin.find("://");
  if (scheme == std::string::npos || host.empty()) return false;  // "null": a sandboxed or file page
  std::string from = origin.substr(scheme + 3), to = host;
  // Default ports are usually left out, but either side may spell them.
  const std::string defaultPort = origin.compare(0, scheme, "https") == 0 ? ":443" : ":80";
  for (std::string* a : {&from, &to})
    if (a->size() > defaultPort.size() &&
        a->compare(a->size() - defaultPort.size(), defaultPort.size(), defaultPort) == 0)
      a->resize(a->size() - defaultPort.size());
  return from.size() == to.size() && std::equal(from.begin(), from.end(), to.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
         });
}

}  // namespace

const std::string& WebPage(int rotation) {
  static const std::string pages[] = {BuildPage(0), BuildPage(90), BuildPage(180), BuildPage(270)};
  return pages[rotation == 90 ? 1 : rotation == 180 ? 2 : rotation == 270 ? 3 : 0];
}

struct WebView::Impl {
  WebLimits limits;
  asio::io_context io;
  Server server;
  std::set<Handle, std::owner_less<Handle>> viewers;  // server thread only
  std::atomic<std::size_t> viewerCount{0};
  std::atomic<int> pageRequest{0};
  std::atomic<int> rotation{0};
  std::unique_ptr<FrameEncoder> encoder;
  std::thread thread;
  std::promise<void> finished;

  void Serve(Handle h) {
    const Server::connection_ptr con = server.get_con_from_hdl(h);
    const auto& request = con->get_request();
    std::string path = request.get_uri();
    if (const auto q = path.find('?'); q != std::string::npos) path.resize(q);
    const std::string& method = request.get_method();
    const bool page = path == "/", stream = path == "/stream", change = path == "/page";
    const bool manifest = path == "/manifest.webmanifest", icon = path == "/icon-192.png" || path == "/icon-512.png";
    if (!page && !stream && !change && !manifest && !icon)
      return Reply(con, http::status_code::not_found, "not found\n");
    const char* allowed = change ? "POST" : "GET";
    if (method != allowed) {
      con->append_header("Allow", allowed);
      return Reply(con, http::status_code::method_not_allowed, "method not allowed\n");
    }
    if (stream) return Reply(con, http::status_code::upgrade_required, "the picture comes over a WebSocket\n");
    if (change) {
      if (!FromOwnPage(request.get_header("Origin"), request.get_header("Host")))
        return Reply(con, http::status_code::forbidden, "pages change only from this display's own page\n");
      const std::string& body = con->get_request_body();
      if (body != "1" && body != "2") return Reply(con, http::status_code::bad_request, "page 1 or 2\n");
      pageRequest = body[0] - '0';
      return Reply(con, http::status_code::no_content, "");
    }
    if (manifest || icon) {
      con->append_header("Content-Type", manifest ? "application/manifest+json" : "image/png");
      con->append_header("Cache-Control", "max-age=86400");
      return Reply(con, http::status_code::ok,
                   manifest ? WebManifest() : path == "/icon-192.png" ? Icon192() : Icon512());
    }
    con->append_header("Content-Type", "text/html; charset=utf-8");
    con->append_header("Cache-Control", "no-cache");
    Reply(con, http::status_code::ok, WebPage(rotation));
  }

  static void Reply(const Server::connection_ptr& con, http::status_code::value status, const std::string& body) {
    con->set_status(status);
    if (!body.empty()) {
      if (con->get_response_header("Content-Type").empty()) con->append_header("Content-Type", "text/plain");
      con->set_body(body);
    }
  }

  bool Admit(Handle h) {
    const Server::connection_ptr con = server.get_con_from_hdl(h);
    if (con->get_resource() != "/stream") {
      con->set_status(http::status_code::not_found);
      return false;
    }
    if (viewers.size() >= limits.maxViewers) {
      con->set_status(http::status_code::service_unavailable);
      return false;
    }
    viewers.insert(h);
    viewerCount = viewers.size();
    return true;
  }

  void Leave(Handle h) {
    viewers.erase(h);
    viewerCount = viewers.size();
  }

  void Broadcast(const std::shared_ptr<const std::string>& jpeg) {
    for (const Handle& h : viewers) {
      websocketpp::lib::error_code ec;
      const Server::connection_ptr con = server.get_con_from_hdl(h, ec);
      if (ec || con->get_state() != websocketpp::session::state::open) continue;
      if (con->get_buffered_amount() > kMaxUnsent) continue;
      con->send(jpeg->data(), jpeg->size(), websocketpp::frame::opcode::binary);
    }
  }
};

WebView::WebView(const std::string& address, std::uint16_t port, WebLimits limits, int jpegQuality) : impl_(std::make_unique<Impl>()) {
  Impl& d = *impl_;
  d.limits = limits;
  LimitedRequest::SetLimit(limits.maxRequestBytes);
  Server& s = d.server;
  s.init_asio(&d.io);
  s.set_reuse_addr(true);
  s.set_open_handshake_timeout(limits.requestTimeout.count());
  s.set_close_handshake_timeout(1000);
  s.set_max_http_body_size(limits.maxRequestBytes);
  s.set_http_handler([&d](Handle h) { d.Serve(h); });
  s.set_validate_handler([&d](Handle h) { return d.Admit(h); });
  s.set_close_handler([&d](Handle h) { d.Leave(h); });
  s.set_fail_handler([&d](Handle h) { d.Leave(h); });
  asio::error_code ec;
  const auto ip = asio::ip::make_address(address, ec);
  if (ec) throw std::runtime_error("--web: '" + address + "' is not an IP address");
  s.listen(asio::ip::tcp::endpoint(ip, port), ec);
  if (ec) throw std::runtime_error("--web: cannot listen on " + address + ":" + std::to_string(port) + ": " + ec.message());
  s.start_accept();
  d.encoder = std::make_unique<FrameEncoder>(jpegQuality, [&d](std::shared_ptr<const std::string> jpeg) {
    asio::post(d.io, [&d, jpeg = std::move(jpeg)] { d.Broadcast(jpeg); });
  });
  d.thread = std::thread([&d] {
    d.io.run();
    d.finished.set_value();
  });
}

void WebView::SetRotation(int degrees) { impl_->rotation = degrees; }

WebView::~WebView() {
  Impl& d = *impl_;
  d.encoder.reset();  // no more frames are posted
  asio::post(d.io, [&d] {
    websocketpp::lib::error_code ec;
    d.server.stop_listening(ec);
    for (const Handle& h : std::set<Handle, std::owner_less<Handle>>(d.viewers))
      d.server.close(h, websocketpp::close::status::going_away, "", ec);
  });
  // Viewers get a moment to take the close; requests still arriving do not
  // hold the program up.
  d.finished.get_future().wait_for(std::chrono::milliseconds(500));
  d.io.stop();
  d.thread.join();
}

std::uint16_t WebView::Port() const {
  websocketpp::lib::error_code ec;
  // The endpoint is read-only once listening; reading its port is safe.
  return impl_->server.get_local_endpoint(ec).port();
}

std::size_t WebView::Viewers() const { return impl_->viewerCount; }

void WebView::FramePresented(Platform& platform) {
  if (impl_->viewerCount == 0) return;
  FrameEncoder& encoder = *impl_->encoder;
  int width = 0, height = 0;
  if (platform.ReadBackBuffer(encoder.Canvas(), width, height)) encoder.Submit(width, height);
}

std::optional<int> WebView::TakePageRequest() {
  const int page = impl_->pageRequest.exchange(0);
  if (page == 0) return std::nullopt;
  return page;
}

}  // namespace velmora
