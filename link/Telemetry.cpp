// Telemetry scanner and TCP stream framing.
#include "link/Telemetry.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <system_error>

namespace velmora {
namespace {

// Message position -> record member, built from the record's field table.
using Member = double FlightData::*;
constexpr std::array<Member, kRecordPositions + 1> MakePositionTable() {
  std::array<Member, kRecordPositions + 1> table{};
  for (const auto& f : kFlightFields)
    if (f.position >= 1 && f.position <= kRecordPositions) table[f.position] = f.member;
  return table;
}
constexpr auto kPositionMember = MakePositionTable();

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool IsSeparator(char c) { return c == '.' || c == ','; }

TelemetryError RangeError(int field = 0) { return {TelemetryError::Range, "Range check error", field}; }

TelemetryError NoFieldError() {
  return {TelemetryError::NoField, "no field before \"$\" (each number must be followed by a space)", 0};
}

TelemetryError ConversionError(std::string_view field, int position) {
  // Quote the pending text as the scanner holds it: "," already became ".".
  std::string quoted;
  const bool cut = field.size() > kQuotedFieldLimit;
  const std::string_view shown = cut ? field.substr(0, kQuotedFieldLimit) : field;
  quoted.reserve(shown.size() + 48);
  quoted += '\'';
  for (char c : shown) quoted += (c == ',') ? '.' : c;
  if (cut) quoted += "...";
  quoted += "' is not a valid floating point value";
  return {TelemetryError::Conversion, std::move(quoted), position};
}

void ApplyPlausibilityRule(FlightData& rec) {
  if (rec.Bank > 65 || rec.Bank < -65 || rec.RadarAltitude > 1480) rec.RadarAltitude = 0.0;
}

}  // namespace

bool ParseTelemetryNumber(std::string_view s, double& out) {
  const std::size_t n = s.size();
  std::size_t i = 0;
  bool negative = false;
  if (i < n && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';

  const std::size_t intBegin = i;
  while (i < n && IsDigit(s[i])) ++i;
  const std::size_t intEnd = i;
  bool separator = false;
  std::size_t fracBegin = i, fracEnd = i;
  if (i < n && IsSeparator(s[i])) {
    separator = true;
    fracBegin = ++i;
    while (i < n && IsDigit(s[i])) ++i;
    fracEnd = i;
  }
  if (intEnd == intBegin && !separator) return false;  // empty, lone sign, letters

  // Exponent: digits are optional and missing ones count as 0. Saturate the
  // value; anything this large is far outside a double either way.
  std::int64_t exponent = 0;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    bool expNegative = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) expNegative = s[i++] == '-';
    while (i < n && IsDigit(s[i])) {
      if (exponent < 100000000) exponent = exponent * 10 + (s[i] - '0');
      ++i;
    }
    if (expNegative) exponent = -exponent;
  }
  if (i != n) return false;

  const std::string_view intDigits = s.substr(intBegin, intEnd - intBegin);
  const std::string_view fracDigits = s.substr(fracBegin, fracEnd - fracBegin);
  if (intDigits.empty() && fracDigits.empty()) {  // the separator alone is 0
    out = negative ? -0.0 : 0.0;
    return true;
  }

  // Rewrite into the form std::from_chars takes: no sign, "." as separator,
  // explicit exponent digits. A stack buffer covers every realistic field.
  char local[160];
  std::string spill;
  const std::size_t need = intDigits.size() + fracDigits.size() + 16;
  char* buf = local;
  if (need > sizeof local) {
    spill.resize(need);
    buf = spill.data();
  }
  char* p = buf;
  if (intDigits.empty()) *p++ = '0';
  std::memcpy(p, intDigits.data(), intDigits.size());
  p += intDigits.size();
  if (!fracDigits.empty()) {
    *p++ = '.';
    std::memcpy(p, fracDigits.data(), fracDigits.size());
    p += fracDigits.size();
  }
  if (exponent != 0) {
    *p++ = 'e';
    p = std::to_chars(p, buf + need, exponent).ptr;
  }

  double value = 0;
  const auto [end, ec] = std::from_chars(buf, p, value, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    // Out of range is either overflow (an error) or underflow (reads as 0).
    // The decimal position of the first significant digit tells them apart.
    std::int64_t lead = 0;  // power of ten of the first nonzero digit
    bool found = false;
    for (std::size_t k = 0; k < intDigits.size() && !found; ++k)
      if (intDigits[k] != '0') {
        lead = static_cast<std::int64_t>(intDigits.size() - k) - 1;
        found = true;
      }
    for (std::size_t k = 0; k < fracDigits.size() && !found; ++k)
      if (fracDigits[k] != '0') {
        lead = -static_cast<std::int64_t>(k) - 1;
        found = true;
      }
    if (found && lead + exponent > 0) return false;
    value = 0.0;
  } else if (ec != std::errc() || end != p || !std::isfinite(value)) {
    return false;
  }
  out = negative ? -value : value;
  return true;
}

std::optional<TelemetryError> ScanTelemetry(std::string_view text, FlightData& rec, ScanOptions options) {
  if (text.empty()) return RangeError(1);
  if (text.front() == '$') return NoFieldError();  // nothing consumed, nothing copied

  // The value buffer starts from the record, so positions this message does
  // not reach keep what the instruments showed before.
  std::array<double, kTelemetryPositions + 1> values{};
  for (int pos = 1; pos <= kRecordPositions; ++pos) values[pos] = rec.*kPositionMember[pos];
  values[kTargetBearingPosition] = rec.TargetBearing;
  values[kTargetHeadingPosition] = rec.TargetHeading;

  std::optional<TelemetryError> error;
  int pos = 1;
  std::size_t fieldStart = 0;
  const char* data = text.data();
  const std::size_t n = text.size();
  std::size_t i = 0;
  for (;; ++i) {
    if (i == n) {
      if (!error) error = RangeError(pos);
      break;
    }
    const char c = data[i];
    if (c == '$') {
      if (pos == 1 && !error) error = NoFieldError();
      break;
    }
    if (c != ' ') continue;
    const std::string_view field(data + fieldStart, i - fieldStart);
    double v;
    const bool converted = ParseTelemetryNumber(field, v);
    if (!converted && !error) error = ConversionError(field, pos);
    if (pos > kTelemetryPositions) {
      if (converted && !error) error = RangeError(pos);
      break;
    }
    // A field that does not convert keeps the record's value: one bad
    // number must not freeze every instrument after it.
    if (converted) values[pos] = v;
    ++pos;
    fieldStart = i + 1;
  }

  for (int p = 1; p <= kRecordPositions; ++p) rec.*kPositionMember[p] = values[p];
  if (options.targetFields) {
    rec.TargetBearing = values[kTargetBearingPosition];
    rec.TargetHeading = values[kTargetHeadingPosition];
  }
  ApplyPlausibilityRule(rec);
  return error;
}

std::optional<TelemetryError> ApplyDatagram(FlightData& rec, std::string_view payload, ScanOptions options) {
  rec.LastDatagramText.assign(payload.data(), payload.size());
  std::string_view text = rec.LastDatagramText;
  std::size_t k = 0;
  while (k < text.size() && IsLeadingBlank(text[k])) ++k;
  return ScanTelemetry(text.substr(k), rec, options);
}

void TcpStreamFramer::Reset() {
  pending_.clear();
  skipping_ = false;
}

void TcpStreamFramer::ScanOne(std::string_view message, FlightData& rec, Sink sink, void* ctx) {
  const auto error = ScanTelemetry(message, rec, options_);
  sink(ctx, Outcome{error ? &*error : nullptr, true, message});
}

void TcpStreamFramer::FeedImpl(std::string_view chunk, FlightData& rec, Sink sink, void* ctx) {
  while (!chunk.empty()) {
    if (skipping_) {
      const auto end = chunk.find('$');
      if (end == std::string_view::npos) return;
      chunk.remove_prefix(end + 1);
      skipping_ = false;
      continue;
    }
    if (pending_.empty()) {
      // The previous message's line end (and any blank bytes) is not part of
      // the next message's first field.
      std::size_t k = 0;
      while (k < chunk.size() && static_cast<unsigned char>(chunk[k]) <= 32) ++k;
      chunk.remove_prefix(k);
      if (chunk.empty()) break;
    }
    const auto end = chunk.find('$');
    if (end == std::string_view::npos) {
      pending_.append(chunk);
      break;
    }
    if (pending_.empty()) {
      ScanOne(chunk.substr(0, end + 1), rec, sink, ctx);
    } else {
      pending_.append(chunk.substr(0, end + 1));
      ScanOne(pending_, rec, sink, ctx);
      pending_.clear();
    }
    chunk.remove_prefix(end + 1);
  }
  if (pending_.size() > kMaxPending) {
    pending_.clear();
    pending_.shrink_to_fit();
    skipping_ = true;
    const TelemetryError error = RangeError();
    sink(ctx, Outcome{&error, false, {}});
  }
}

}  // namespace velmora
