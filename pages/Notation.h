// Text notation of the instrument readouts: how a number becomes the digits
// a pilot reads. The pages compute in single precision where a truncated
// digit depends on it (G tenths, kilometre readout, heading, fuel sum); the
// helpers here take those values already rounded by the caller.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora::notation {

// Rounds to the nearest 32-bit float (ties to even): one step of the pages'
// single-precision arithmetic.
inline float F32(double x) { return static_cast<float>(x); }

// round(x): nearest integer, exact ties to the even one.
double RoundHalfEven(double x);

// frac(x) = x - trunc(x); negative for negative x.
double Frac(double x);

// A short text buffer that never allocates; readouts are at most a few dozen
// characters. Text past the capacity is cut (a readout that long is garbage).
class Text {
 public:
  static constexpr std::size_t kCapacity = 48;
  Text() { buf_[0] = '\0'; }
  Text(std::string_view s) { Assign(s); }  // NOLINT: implicit on purpose
  Text& Assign(std::string_view s);
  Text& Append(std::string_view s);
  std::string_view view() const { return {buf_, len_}; }
  const char* c_str() const { return buf_; }
  std::size_t size() const { return len_; }
  bool operator==(std::string_view s) const { return view() == s; }

 private:
  char buf_[kCapacity + 1];
  std::size_t len_ = 0;
};

// int(x): decimal text of trunc(x), "-" when negative, no grouping.
// Values beyond the 64-bit range still print all their integer digits;
// NaN prints "NAN" and infinities "INF" / "-INF".
Text IntText(double x);

// Decimal text of round-half-even(x), same conventions as IntText.
Text RoundText(double x);

// fixed(x, d): exactly d digits after ".", at most five significant digits,
// rounded (half away from zero) at whichever limit comes first; digits past
// the fifth significant one are written as 0. With more than five digits
// before the point the value is written compactly in scientific form with
// five significant digits, e.g. 123456 -> "1.2346E5", 1000000 -> "1E6".
Text FixedText(double x, int d);

}  // namespace velmora::notation
