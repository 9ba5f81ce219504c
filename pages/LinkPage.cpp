// The link page and the words about the link.
#include "pages/LinkPage.h"

#include <algorithm>
#include <cstdio>

#include "assets/BezelButtons.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;

// A second of silence is already more than thirty frames without news; three
// seconds rule out a simulator's loading hitch or a lost datagram or two.
constexpr auto kFlagAfter = 1s;
constexpr auto kBandAfter = 3s;

constexpr Argb kInk = MakeArgb(30, 34, 38, 255);
constexpr Argb kMutedInk = MakeArgb(90, 96, 100, 255);
constexpr Argb kErrorInk = MakeArgb(170, 20, 20, 255);

bool IsLoopback(std::string_view address) { return address.rfind("127.", 0) == 0 || address == "::1"; }
bool IsEveryNetwork(std::string_view address) { return address == "0.0.0.0" || address == "::"; }

// The two ports as the exporter names them.
std::uint16_t SendPort(const LinkSetup& s) { return s.udpPort ? s.udpPort : s.tcpPort; }

}  // namespace

Silence SilenceAt(std::chrono::steady_clock::duration quiet) {
  if (quiet >= kBandAfter) return Silence::Band;
  if (quiet >= kFlagAfter) return Silence::Flag;
  return Silence::None;
}

std::string FormatAge(std::chrono::steady_clock::duration age) {
  const long long s = std::max<long long>(0, std::chrono::duration_cast<std::chrono::seconds>(age).count());
  char text[40];
  if (s < 60)
    std::snprintf(text, sizeof text, "%lld s", s);
  else if (s < 3600)
    std::snprintf(text, sizeof text, "%lld min %02lld s", s / 60, s % 60);
  else
    std::snprintf(text, sizeof text, "%lld h %02lld min", s / 3600, s / 60 % 60);
  return text;
}

std::string Shorten(std::string_view text, std::size_t max) {
  if (text.size() <= max) return std::string(text);
  if (max < 3) return std::string(text.substr(0, max));
  std::size_t cut = max - 3;
  // Back off continuation bytes so a Cyrillic letter is not split.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return std::string(text.substr(0, cut)) + "...";
}

std::string TabletUrl(const LinkSetup& s) {
  if (s.webPort == 0 || IsLoopback(s.webAddress)) return {};
  std::string host = s.webAddress;
  if (IsEveryNetwork(host)) {
    host.clear();
    for (const std::string& a : s.addresses)
      if (!IsLoopback(a)) {
        host = a;
        break;
      }
    if (host.empty()) return {};
  }
  if (host.find(':') != std::string::npos) host = "[" + host + "]";
  return "http://" + host + ":" + std::to_string(s.webPort) + "/";
}

std::string ListeningText(const LinkSetup& s) {
  const std::string udp = "UDP port " + std::to_string(s.udpPort), tcp = "TCP port " + std::to_string(s.tcpPort);
  if (s.udpPort && s.tcpPort) return udp + " and " + tcp;
  if (s.udpPort) return udp + " (TCP off)";
  if (s.tcpPort) return tcp + " (UDP off)";
  return "nothing (both off)";
}

std::string SendToText(const LinkSetup& s, std::size_t most) {
  if (s.addresses.empty()) return "no network address found";
  const std::string port = std::string(":").append(std::to_string(SendPort(s)));
  std::string text;
  const std::size_t shown = std::min(most, s.addresses.size());
  for (std::size_t i = 0; i < shown; ++i) {
    if (i) text += ", ";
    text += s.addresses[i] + port;
  }
  if (shown < s.addresses.size()) text += " +" + std::to_string(s.addresses.size() - shown) + " more";
  return text;
}

std::string LastMessageText(const LinkStatus& status_, std::chrono::steady_clock::time_point started_,
                            std::chrono::steady_clock::time_point now, bool named) {
  if (!status_.lastApplied) {
    if (status_.rejected) return "no usable message yet (" + std::to_string(status_.rejected) + " rejected)";
    return "nothing received for " + FormatAge(now - started_);
  }
  return (named ? "last message " : "") + FormatAge(now - *status_.lastApplied) + " ago from " + status_.lastSender;
}

LinkPage::LinkPage(const LinkStatus& status, LinkSetup setup, Clock::time_point started)
    : status_(status),
      setup_(std::move(setup)),
      started_(started),
      tabletUrl_(TabletUrl(setup_)),
      rates_(started) {
  if (!tabletUrl_.empty()) qr_ = EncodeQrCode(tabletUrl_);
}

void LinkPage::Draw(Canvas& canvas, Page page, Clock::time_point now) {
  rates_.Sample(status_, now);
  if (page != Page::Link) return;
  const int x = 48, value = 220;
  int y = 36;
  canvas.Text(FontRole::LinkHeading, x, y, "TELEMETRY LINK", kInk);
  y += 44;
  auto row = [&](const char* label, const std::string& text, std::uint32_t color = kInk) {
    canvas.Text(FontRole::LinkText, x, y, label, kMutedInk);
    canvas.Text(FontRole::LinkText, value, y, text, color);
    y += 28;
  };
  row("Listening on", ListeningText(setup_) + (setup_.transport.empty() ? "" : ", config '" + setup_.transport + "'"));
  row("Send to", SendToText(setup_, 3));
  char line[96];
  std::snprintf(line, sizeof line, "%llu in all, %.0f per second now", static_cast<unsigned long long>(status_.applied),
                rates_.Applied());
  row("Applied", line);
  std::snprintf(line, sizeof line, "%llu in all, %.0f per second now", static_cast<unsigned long long>(status_.rejected),
                rates_.Rejected());
  row("Rejected", line, status_.rejected ? kErrorInk : kInk);
  const bool silent = SilenceAt(now - status_.lastApplied.value_or(started_)) != Silence::None;
  row("Last message", LastMessageText(status_, started_, now, false), silent ? kErrorInk : kInk);
  y += 8;
  canvas.Text(FontRole::LinkText, x, y, "Last errors", kMutedInk);
  if (status_.errorCount == 0) canvas.Text(FontRole::LinkText, value, y, "none", kInk);
  for (std::size_t i = 0; i < status_.errorCount; ++i) {
    canvas.Text(FontRole::LinkSmall, value, y + 2, Shorten(status_.errors[i], 62), kErrorInk);
    y += 24;
  }
  if (status_.errorCount == 0) y += 24;
  y += 16;

  canvas.Text(FontRole::LinkText, x, y, "Tablet view", kMutedInk);
  const std::string port = std::to_string(setup_.webPort);
  if (setup_.webPort == 0) {
    canvas.Text(FontRole::LinkText, value, y, "off: start with --web 0.0.0.0:8080 to show this display on a tablet", kInk);
  } else if (IsLoopback(setup_.webAddress)) {
    canvas.Text(FontRole::LinkText, value, y, "on this computer only: http://" + setup_.webAddress + ":" + port + "/", kInk);
    canvas.Text(FontRole::LinkSmall, value, y + 26, "For a tablet, start with --web 0.0.0.0:" + port + " (all networks)", kMutedInk);
  } else if (tabletUrl_.empty()) {
    canvas.Text(FontRole::LinkText, value, y, "port " + port + ", but this computer has no network address", kErrorInk);
  } else {
    canvas.Text(FontRole::LinkText, value, y, tabletUrl_, kInk);
    canvas.Text(FontRole::LinkSmall, value, y + 26, qr_ ? "Point the tablet's camera at the code" : "Type this address into the tablet's browser",
         kMutedInk);
  }
  // How the display is found; below the QR code, which ends above 392.
  const LinkStatus::Discovery& found = status_.discovery;
  y = std::max(y + 60, 392);
  // Quoted piecewise: GCC 12 at -O3 takes "'" + text + "'" for an overlapping copy.
  std::string foundAs = "by address only (--no-announce)";
  if (!found.name.empty()) {
    foundAs = Shorten(found.name, 40);
    foundAs.insert(foundAs.begin(), '\'');
    foundAs.push_back('\'');
  }
  row("Found as", foundAs);
  row("Beacon", Shorten(found.beacon, 58), found.beaconWorking ? kInk : kErrorInk);
  row("DNS-SD", Shorten(found.dnsSd, 58), found.dnsSdWorking ? kInk : kErrorInk);
  if (qr_) {
    const int scale = std::max(3, std::min(8, 300 / (qr_->size + 8)));
    DrawQrCode(canvas, 1024 - 48 - (qr_->size + 8) * scale, 80, scale);
  }

  canvas.Text(FontRole::LinkSmall, x, 650 - 96, "F1 flight page    F2 tactical page    F3 this page", kMutedInk);
  // The bezel buttons keep working here; outline them so a touch panel
  // without a keyboard shows the way back.
  for (const BezelButton& b : kPageButtons) {
    canvas.StrokeRect(kMutedInk, static_cast<float>(b.x), static_cast<float>(b.y), static_cast<float>(b.w),
                      static_cast<float>(b.h));
    int letters = 0;
    for (unsigned char c : b.label) letters += (c & 0xC0) != 0x80;
    canvas.Text(FontRole::LinkText, b.x + (b.w - 13 * letters) / 2, b.y + 10, b.label, kMutedInk);
  }
}

void LinkPage::DrawQrCode(Canvas& canvas, int left, int top, int scale) {
  // The link page's white is the light margin a reader needs around the code.
  const int quiet = 4 * scale;
  // One rectangle per run of dark modules in a row.
  for (int y = 0; y < qr_->size; ++y) {
    for (int x = 0; x < qr_->size;) {
      if (!qr_->Dark(x, y)) {
        ++x;
        continue;
      }
      int end = x;
      while (end < qr_->size && qr_->Dark(end, y)) ++end;
      canvas.FillRect(MakeArgb(0, 0, 0), static_cast<float>(left + quiet + x * scale),
                        static_cast<float>(top + quiet + y * scale), static_cast<float>((end - x) * scale),
                        static_cast<float>(scale));
      x = end;
    }
  }
}

}  // namespace velmora
