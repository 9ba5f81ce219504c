// Warnings for exporter authors.
#include "link/TelemetryCheck.h"

#include <array>
#include <charconv>
#include <cmath>

#include "link/FlightData.h"
#include "link/Telemetry.h"

namespace velmora {
namespace {

constexpr double kPi = 3.14159265358979323846;

// What each position's instrument can show. A lamp state is a whole number
// from 0 to the one value that lights the lamp; a state such as 1.5 or -1
// leaves the lamp dark, which is rarely what the exporter meant.
struct Span {
  enum Kind { None, Range, Lamp } kind;
  double lo, hi;  // Range: limits; Lamp: lo is the lit value
};

constexpr std::array<Span, kRecordPositions + 1> kSpans{{
    {Span::None, 0, 0},
    {Span::Range, -1000, 30000},  // 1 altitude, m
    {Span::Range, 0, 1400},       // 2 indicated airspeed, dial 0..14 hundreds
    {Span::Range, 0, 120},        // 3 left engine, %
    {Span::Range, -90, 90},       // 4 pitch
    {Span::Range, -180, 180},     // 5 bank
    {Span::None, 0, 0},           // 6 spare
    {Span::Range, -10, 25},       // 7 angle of attack, scale -10..25
    {Span::Range, -5, 12},        // 8 G load
    {Span::Range, -18.7, 18.2},   // 9 vertical speed: scale marked +/-10, the needle stops beyond
    {Span::Range, 0, 3},          // 10 Mach
    {Span::Range, -90, 90},       // 11 commanded pitch
    {Span::Range, -180, 180},     // 12 commanded bank
    {Span::Range, -360, 360},     // 13 ADF bearing
    {Span::Range, -360, 360},     // 14 RMI bearing
    {Span::Range, -360, 360},     // 15 heading
    {Span::Range, -12, 12},       // 16 ball, limited to +/-12
    {Span::Range, 600, 800},      // 17 pressure setting, mm Hg
    {Span::Range, 0, 1480},       // 18 radar altitude (reads 0 above 1480)
    {Span::Range, -1, 1},         // 19 glideslope deviation
    {Span::Range, -1, 1},         // 20 localizer deviation
    {Span::Range, 0, 120},        // 21 right engine, %
    {Span::Range, -100, 1500},    // 22 left engine temperature
    {Span::Range, -100, 1500},    // 23 right engine temperature
    {Span::Range, 0, 50000},      // 24 fuel 1, kg
    {Span::Range, 0, 50000},      // 25 fuel 2, kg
    {Span::None, 0, 0},           // 26 spare
    {Span::None, 0, 0},           // 27 spare
    {Span::Range, 0, 5000},       // 28 true airspeed
    {Span::Range, 0, 1e7},        // 29 navigation distance, m
    {Span::Range, -1, 1e6},       // 30 target range, m (-1: no target)
    {Span::Lamp, 2, 0},           // 31 pair lamps
    {Span::Lamp, 1, 0},           // 32 single lamp
    {Span::Lamp, 1, 0},           // 33 three lamps
}};

std::string_view FieldName(int position) {
  for (const auto& f : kFlightFields)
    if (f.position == position) return f.name;
  return {};
}

std::string Number(double v) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, v).ptr);
}

// Control bytes and quotes shown so that a warning stays one readable line.
std::string Quoted(std::string_view text) {
  std::string out = "'";
  for (unsigned char c : text.substr(0, kQuotedFieldLimit)) {
    if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c < 0x20 || c == 0x7f) {
      static constexpr char kHex[] = "0123456789abcdef";
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0xf];
    } else {
      out += static_cast<char>(c);
    }
  }
  if (text.size() > kQuotedFieldLimit) out += "...";
  return out + "'";
}

std::string Position(int position) {
  std::string out = "field " + std::to_string(position);
  if (const auto name = FieldName(position); !name.empty()) out += " (" + std::string(name) + ")";
  return out;
}

}  // namespace

std::vector<std::string> TelemetryWarnings(std::string_view message, bool datagram, bool targetFields) {
  std::vector<std::string> out;
  if (datagram) {
    std::size_t k = 0;
    while (k < message.size() && IsLeadingBlank(message[k])) ++k;
    if (k > 0)
      out.push_back(std::to_string(k) + (k == 1 ? " leading byte" : " leading bytes") +
                    " skipped before the first field: a line end belongs after the \"$\"");
    message.remove_prefix(k);
  }
  const std::size_t dollar = message.find('$');
  if (dollar == std::string_view::npos) return out;  // an error, reported as such
  const std::string_view body = message.substr(0, dollar);

  int position = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i < body.size(); ++i) {
    if (body[i] != ' ') continue;
    const std::string_view field = body.substr(start, i - start);
    start = i + 1;
    ++position;
    if (position > kTelemetryPositions) break;  // the range error says it all
    if (field.empty()) {
      out.push_back(Position(position) + " is empty: a doubled space (or a leading one) where one separator should be");
      continue;
    }
    if (field.find('\t') != std::string_view::npos) {
      out.push_back(Position(position) + " " + Quoted(field) + " holds a tab: separate numbers with one space");
      continue;
    }
    double v = 0;
    // Degrees sent where radians belong put the target anywhere on the rose.
    if (targetFields && position == kTargetBearingPosition && ParseTelemetryNumber(field, v) &&
        std::fabs(v) > 2 * kPi)
      out.push_back(Position(position) + " is " + Number(v) +
                    ": the target's bearing is in radians (-6.283 to 6.283), not degrees");
    if (position > kRecordPositions || !ParseTelemetryNumber(field, v)) continue;
    const Span& span = kSpans[static_cast<std::size_t>(position)];
    if (span.kind == Span::Range && (v < span.lo || v > span.hi)) {
      out.push_back(Position(position) + " is " + Number(v) + ": the instrument shows " + Number(span.lo) +
                    " to " + Number(span.hi));
    } else if (span.kind == Span::Lamp && (v < 0 || v > span.lo || v != static_cast<int>(v))) {
      out.push_back(Position(position) + " is " + Number(v) + ": a lamp state is a whole number from 0 to " +
                    Number(span.lo) + ", the lamp lit at exactly " + Number(span.lo));
    }
  }

  const std::string_view tail = body.substr(start);
  if (!tail.empty())
    out.push_back(Quoted(tail) + " before \"$\" is not a field and is dropped: each number must be followed by a space");
  if (position > 0 && position < kRecordPositions)
    out.push_back("only " + std::to_string(position) + (position == 1 ? " field" : " fields") +
                  (position + 1 == kRecordPositions ? ": position 33 keeps its previous value"
                                                     : ": positions " + std::to_string(position + 1) +
                                                           " to 33 keep their previous values"));
  const int firstUnused = targetFields ? kTargetHeadingPosition + 1 : kRecordPositions + 1;
  if (position >= firstUnused && position <= kTelemetryPositions)
    out.push_back((position == firstUnused ? "position " + std::to_string(position)
                                           : "positions " + std::to_string(firstUnused) + " to " +
                                                 std::to_string(position)) +
                  (position == firstUnused ? " is" : " are") + " read but not used by the display" +
                  (targetFields ? "" : " (34 and 35, the target's bearing and heading, with --target-fields)"));
  return out;
}

}  // namespace velmora
