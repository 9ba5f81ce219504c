// The no-data flag and band.
#include "pages/NoDataOverlay.h"

namespace velmora {
namespace {

// The band covers the lower instruments from below the attitude indicator's
// roll scale to above the bezel buttons.
constexpr int kBandLeft = 40, kBandTop = 392, kBandWidth = 944, kBandHeight = 196;
// The flag sits in the corner left of the attitude indicator, outside its dial.
constexpr int kFlagLeft = 262, kFlagTop = 74, kFlagWidth = 96, kFlagHeight = 26;

constexpr Argb kFlagRed = MakeArgb(220, 30, 30, 255);
constexpr Argb kBandFill = MakeArgb(24, 30, 36, 232);
constexpr Argb kAmber = MakeArgb(255, 190, 40, 255);
constexpr Argb kWhite = MakeArgb(255, 255, 255, 255);
constexpr Argb kGrey = MakeArgb(190, 196, 200, 255);
}  // namespace

void NoDataOverlay::Draw(Canvas& canvas, Page page, Clock::time_point now) const {
  if (!setup_.alerts || (page != Page::Flight && page != Page::Tactical)) return;
  switch (SilenceAt(now - status_.lastApplied.value_or(started_))) {
    case Silence::None:
      return;  // data flowing: the instruments alone, untouched
    case Silence::Flag:
      return DrawFlag(canvas);
    case Silence::Band:
      return DrawBand(canvas, now);
  }
}

void NoDataOverlay::DrawFlag(Canvas& canvas) const {
  canvas.FillRect(kFlagRed, kFlagLeft, kFlagTop, kFlagWidth, kFlagHeight);
  canvas.FillRect(kWhite, kFlagLeft + 3, kFlagTop + 3, kFlagWidth - 6, kFlagHeight - 6);
  canvas.Text(FontRole::LinkText, kFlagLeft + 12, kFlagTop + 4, "NO DATA", kFlagRed);
}

void NoDataOverlay::DrawBand(Canvas& canvas, Clock::time_point now) const {
  canvas.FillRect(kBandFill, kBandLeft, kBandTop, kBandWidth, kBandHeight);
  canvas.StrokeRect(kAmber, kBandLeft + 2, kBandTop + 2, kBandWidth - 4, kBandHeight - 4);

  const int x = kBandLeft + 20;
  int y = kBandTop + 12;
  canvas.Text(FontRole::LinkHeading, x, y, "NO TELEMETRY", kAmber);
  y += 32;
  canvas.Text(FontRole::LinkText, x, y, "Listening on " + ListeningText(setup_), kWhite);
  y += 24;
  canvas.Text(FontRole::LinkText, x, y, "Send to " + SendToText(setup_), kWhite);
  y += 24;
  std::string last = LastMessageText(status_, started_, now, true);
  last[0] = static_cast<char>(last[0] - 'a' + 'A');
  canvas.Text(FontRole::LinkText, x, y, last, kWhite);
  y += 24;
  if (status_.errorCount) canvas.Text(FontRole::LinkText, x, y, "Last error: " + Shorten(status_.errors[0], 90), kAmber);
  y += 26;
  // What to check, worded for the likelier cause.
  canvas.Text(FontRole::LinkSmall, x, y,
       status_.lastApplied ? "The sender stopped: simulator paused or closed, or the network dropped."
                           : "Check the exporter's transport, address and port, and the firewall"
                             " (or let it find this display: VELMORA_HOST=auto).",
       kGrey);
  canvas.Text(FontRole::LinkSmall, kBandLeft + kBandWidth - 110, kBandTop + 14, "F3: link page", kGrey);
}

}  // namespace velmora
