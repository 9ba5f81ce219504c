// The no-data flag, the no-data band and the link page.
#include "app/Glass.h"

#include "assets/BezelButtons.h"

#include <algorithm>
#include <cstdio>

#include "engine/Screen.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;

// A second of silence is already more than thirty frames without news; three
// seconds rule out a simulator's loading hitch or a lost datagram or two.
constexpr auto kFlagAfter = 1s;
constexpr auto kBandAfter = 3s;

// The band covers the lower instruments from below the attitude indicator's
// roll scale to above the bezel buttons.
constexpr int kBandLeft = 40, kBandTop = 392, kBandWidth = 944, kBandHeight = 196;
// The flag sits in the corner left of the attitude indicator, outside its dial.
constexpr int kFlagLeft = 262, kFlagTop = 74, kFlagWidth = 96, kFlagHeight = 26;

const std::uint32_t kFlagRed = MakeColor(220, 30, 30, 255);
const std::uint32_t kBandFill = MakeColor(24, 30, 36, 232);
const std::uint32_t kAmber = MakeColor(255, 190, 40, 255);
const std::uint32_t kWhite = MakeColor(255, 255, 255, 255);
const std::uint32_t kGrey = MakeColor(190, 196, 200, 255);
const std::uint32_t kInk = MakeColor(30, 34, 38, 255);
const std::uint32_t kMutedInk = MakeColor(90, 96, 100, 255);
const std::uint32_t kErrorInk = MakeColor(170, 20, 20, 255);

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

Glass::Glass(Screen& screen, const LinkStatus& status, LinkSetup setup, Clock::time_point started)
    : screen_(screen),
      status_(status),
      setup_(std::move(setup)),
      started_(started),
      shapes_(&screen),
      heading_(&screen, "glassHeading"),
      text_(&screen, "glassText"),
      small_(&screen, "glassSmall"),
      tabletUrl_(TabletUrl(setup_)),
      sampleTime_(started) {
  if (!tabletUrl_.empty()) qr_ = EncodeQrCode(tabletUrl_);
}

void Glass::Start() {
  heading_.CreateFont("Arial", 15, FontStyle::Bold);
  text_.CreateFont("Arial", 12, FontStyle::Bold);
  small_.CreateFont("Arial", 11, 0);
}

void Glass::Text(Font& font, int x, int y, std::string_view text, std::uint32_t color) {
  font.TextOutColor(x, y, text, static_cast<std::uint8_t>(color >> 16), static_cast<std::uint8_t>(color >> 8),
                    static_cast<std::uint8_t>(color), static_cast<std::uint8_t>(color >> 24));
}

void Glass::Sample(Clock::time_point now) {
  const auto elapsed = now - sampleTime_;
  if (elapsed < 1s) return;
  const double seconds = std::chrono::duration<double>(elapsed).count();
  appliedRate_ = static_cast<double>(status_.applied - sampleApplied_) / seconds;
  rejectedRate_ = static_cast<double>(status_.rejected - sampleRejected_) / seconds;
  sampleApplied_ = status_.applied;
  sampleRejected_ = status_.rejected;
  sampleTime_ = now;
}

void Glass::Draw(Page page, Clock::time_point now) {
  Sample(now);
  if (page == Page::Link) return DrawLinkPage(now);
  if (!setup_.alerts || (page != Page::Flight && page != Page::Tactical)) return;
  switch (SilenceAt(now - status_.lastApplied.value_or(started_))) {
    case Silence::None:
      return;  // data flowing: the instruments alone, untouched
    case Silence::Flag:
      return DrawFlag();
    case Silence::Band:
      return DrawBand(now);
  }
}

void Glass::DrawFlag() {
  shapes_.Filled = true;
  shapes_.Rectangle(kFlagRed, kFlagLeft, kFlagTop, kFlagWidth, kFlagHeight);
  shapes_.Rectangle(kWhite, kFlagLeft + 3, kFlagTop + 3, kFlagWidth - 6, kFlagHeight - 6);
  Text(text_, kFlagLeft + 12, kFlagTop + 4, "NO DATA", kFlagRed);
}

std::string Glass::LastMessageText(Clock::time_point now, bool named) const {
  if (!status_.lastApplied) {
    if (status_.rejected) return "no usable message yet (" + std::to_string(status_.rejected) + " rejected)";
    return "nothing received for " + FormatAge(now - started_);
  }
  return (named ? "last message " : "") + FormatAge(now - *status_.lastApplied) + " ago from " + status_.lastSender;
}

void Glass::DrawBand(Clock::time_point now) {
  shapes_.Filled = true;
  shapes_.Rectangle(kBandFill, kBandLeft, kBandTop, kBandWidth, kBandHeight);
  shapes_.Filled = false;
  shapes_.Rectangle(kAmber, kBandLeft + 2, kBandTop + 2, kBandWidth - 4, kBandHeight - 4);
  shapes_.Filled = true;

  const int x = kBandLeft + 20;
  int y = kBandTop + 12;
  Text(heading_, x, y, "NO TELEMETRY", kAmber);
  y += 32;
  Text(text_, x, y, "Listening on " + ListeningText(setup_), kWhite);
  y += 24;
  Text(text_, x, y, "Send to " + SendToText(setup_), kWhite);
  y += 24;
  std::string last = LastMessageText(now, true);
  last[0] = static_cast<char>(last[0] - 'a' + 'A');
  Text(text_, x, y, last, kWhite);
  y += 24;
  if (status_.errorCount) Text(text_, x, y, "Last error: " + Shorten(status_.errors[0], 90), kAmber);
  y += 26;
  // What to check, worded for the likelier cause.
  Text(small_, x, y,
       status_.lastApplied ? "The sender stopped: simulator paused or closed, or the network dropped."
                           : "Check the exporter's transport, address and port, and the firewall"
                             " (or let it find this display: VELMORA_HOST=auto).",
       kGrey);
  Text(small_, kBandLeft + kBandWidth - 110, kBandTop + 14, "F3: link page", kGrey);
}

void Glass::DrawQrCode(int left, int top, int scale) {
  // The link page's white is the light margin a reader needs around the code.
  const int quiet = 4 * scale;
  shapes_.Filled = true;
  // One rectangle per run of dark modules in a row.
  for (int y = 0; y < qr_->size; ++y) {
    for (int x = 0; x < qr_->size;) {
      if (!qr_->Dark(x, y)) {
        ++x;
        continue;
      }
      int end = x;
      while (end < qr_->size && qr_->Dark(end, y)) ++end;
      shapes_.Rectangle(MakeColor(0, 0, 0, 255), static_cast<float>(left + quiet + x * scale),
                        static_cast<float>(top + quiet + y * scale), static_cast<float>((end - x) * scale),
                        static_cast<float>(scale));
      x = end;
    }
  }
}

void Glass::DrawLinkPage(Clock::time_point now) {
  const int x = 48, value = 220;
  int y = 36;
  Text(heading_, x, y, "TELEMETRY LINK", kInk);
  y += 44;
  auto row = [&](const char* label, const std::string& text, std::uint32_t color = kInk) {
    Text(text_, x, y, label, kMutedInk);
    Text(text_, value, y, text, color);
    y += 28;
  };
  row("Listening on", ListeningText(setup_) + (setup_.transport.empty() ? "" : ", config '" + setup_.transport + "'"));
  row("Send to", SendToText(setup_, 3));
  char line[96];
  std::snprintf(line, sizeof line, "%llu in all, %.0f per second now", static_cast<unsigned long long>(status_.applied),
                appliedRate_);
  row("Applied", line);
  std::snprintf(line, sizeof line, "%llu in all, %.0f per second now", static_cast<unsigned long long>(status_.rejected),
                rejectedRate_);
  row("Rejected", line, status_.rejected ? kErrorInk : kInk);
  const bool silent = SilenceAt(now - status_.lastApplied.value_or(started_)) != Silence::None;
  row("Last message", LastMessageText(now, false), silent ? kErrorInk : kInk);
  y += 8;
  Text(text_, x, y, "Last errors", kMutedInk);
  if (status_.errorCount == 0) Text(text_, value, y, "none", kInk);
  for (std::size_t i = 0; i < status_.errorCount; ++i) {
    Text(small_, value, y + 2, Shorten(status_.errors[i], 62), kErrorInk);
    y += 24;
  }
  if (status_.errorCount == 0) y += 24;
  y += 16;

  Text(text_, x, y, "Tablet view", kMutedInk);
  const std::string port = std::to_string(setup_.webPort);
  if (setup_.webPort == 0) {
    Text(text_, value, y, "off: start with --web 0.0.0.0:8080 to show this display on a tablet", kInk);
  } else if (IsLoopback(setup_.webAddress)) {
    Text(text_, value, y, "on this computer only: http://" + setup_.webAddress + ":" + port + "/", kInk);
    Text(small_, value, y + 26, "For a tablet, start with --web 0.0.0.0:" + port + " (all networks)", kMutedInk);
  } else if (tabletUrl_.empty()) {
    Text(text_, value, y, "port " + port + ", but this computer has no network address", kErrorInk);
  } else {
    Text(text_, value, y, tabletUrl_, kInk);
    Text(small_, value, y + 26, qr_ ? "Point the tablet's camera at the code" : "Type this address into the tablet's browser",
         kMutedInk);
  }
  // How the display is found; below the QR code, which ends above 392.
  const LinkStatus::Discovery& found = status_.discovery;
  y = std::max(y + 60, 392);
  row("Found as", found.name.empty() ? "by address only (--no-announce)" : "'" + Shorten(found.name, 40) + "'");
  row("Beacon", Shorten(found.beacon, 58), found.beaconWorking ? kInk : kErrorInk);
  row("DNS-SD", Shorten(found.dnsSd, 58), found.dnsSdWorking ? kInk : kErrorInk);
  if (qr_) {
    const int scale = std::max(3, std::min(8, 300 / (qr_->size + 8)));
    DrawQrCode(1024 - 48 - (qr_->size + 8) * scale, 80, scale);
  }

  Text(small_, x, 650 - 96, "F1 flight page    F2 tactical page    F3 this page", kMutedInk);
  // The bezel buttons keep working here; outline them so a touch panel
  // without a keyboard shows the way back.
  shapes_.Filled = false;
  for (const BezelButton& b : kPageButtons) {
    shapes_.Rectangle(kMutedInk, static_cast<float>(b.x), static_cast<float>(b.y), static_cast<float>(b.w),
                      static_cast<float>(b.h));
    int letters = 0;
    for (unsigned char c : b.label) letters += (c & 0xC0) != 0x80;
    Text(text_, b.x + (b.w - 13 * letters) / 2, b.y + 10, b.label, kMutedInk);
  }
}

}  // namespace velmora
