// Text notation of the readouts.
#include "pages/Notation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace velmora::notation {

double RoundHalfEven(double x) {
  // nearbyint follows the current rounding mode, which is round-to-nearest-even
  // unless someone changed it; do the tie test by hand to be independent of it.
  double r = std::round(x);  // ties away from zero
  if (std::fabs(x - std::trunc(x)) == 0.5) r = 2.0 * std::round(x / 2.0);
  return r;
}

double Frac(double x) { return x - std::trunc(x); }

Text& Text::Assign(std::string_view s) {
  len_ = 0;
  return Append(s);
}

Text& Text::Append(std::string_view s) {
  std::size_t n = s.size();
  if (n > kCapacity - len_) n = kCapacity - len_;
  std::memcpy(buf_ + len_, s.data(), n);
  len_ += n;
  buf_[len_] = '\0';
  return *this;
}

namespace {

Text NonFinite(double x) {
  if (std::isnan(x)) return Text("NAN");
  return Text(x < 0 ? "-INF" : "INF");
}

// Prints a double that already holds an integral value, without "-0".
Text IntegralText(double v) {
  if (!std::isfinite(v)) return NonFinite(v);
  if (v == 0) return Text("0");
  char buf[Text::kCapacity + 8];
  int n = std::snprintf(buf, sizeof buf, "%.0f", v);
  if (n < 0) return Text("0");
  return Text(std::string_view(buf, static_cast<std::size_t>(n) < sizeof buf ? n : sizeof buf - 1));
}

// Decimal digits of |x| correctly rounded to 51 significant digits, and the
// decimal exponent of the first digit.
struct Digits {
  char d[52];
  int exp10;
};

Digits DigitsOf(double ax) {
  char buf[80];
  std::snprintf(buf, sizeof buf, "%.50e", ax);
  Digits out{};
  int k = 0;
  const char* p = buf;
  for (; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') out.d[k++] = *p;
  out.d[k] = '\0';
  out.exp10 = (*p == 'e') ? std::atoi(p + 1) : 0;
  return out;
}

// Rounds the digit string half away from zero so that the last kept digit
// has place value 10^place; returns the kept digits (may gain a leading 1)
// and adjusts exp10.
void RoundAt(Digits& g, int place, char* kept, int& nkept) {
  // number of digits kept = exp10 - place + 1
  int keep = g.exp10 - place + 1;
  if (keep < 0) {
    nkept = 0;
    kept[0] = '\0';
    return;
  }
  int total = static_cast<int>(std::strlen(g.d));
  bool up = keep < total && g.d[keep] >= '5';
  for (int i = 0; i < keep; ++i) kept[i] = i < total ? g.d[i] : '0';
  nkept = keep;
  if (up) {
    int i = keep - 1;
    while (i >= 0 && kept[i] == '9') kept[i--] = '0';
    if (i >= 0) {
      ++kept[i];
    } else {
      std::memmove(kept + 1, kept, static_cast<std::size_t>(keep));
      kept[0] = '1';
      ++nkept;
      ++g.exp10;
    }
  }
  kept[nkept] = '\0';
}

}  // namespace

Text IntText(double x) { return IntegralText(std::trunc(x)); }

Text RoundText(double x) { return IntegralText(RoundHalfEven(x)); }

Text FixedText(double x, int d) {
  if (!std::isfinite(x)) return NonFinite(x);
  if (d < 0) d = 0;
  if (d > 15) d = 15;
  const bool neg = std::signbit(x);
  const double ax = std::fabs(x);

  char kept[64];
  int nkept = 0;
  int exp10 = 0;
  if (ax != 0) {
    Digits g = DigitsOf(ax);
    // The coarser of the two limits decides where to round.
    int place = std::max(g.exp10 - 4, -d);
    RoundAt(g, place, kept, nkept);
    exp10 = g.exp10;
  }
  bool zero = nkept == 0;
  for (int i = 0; i < nkept; ++i)
    if (kept[i] != '0') zero = false;
  if (zero) nkept = 0;

  char out[Text::kCapacity + 1];
  int o = 0;
  auto put = [&](char c) {
    if (o < static_cast<int>(Text::kCapacity)) out[o++] = c;
  };
  if (neg && !zero) put('-');

  if (!zero && exp10 >= 5) {
    // More than five digits before the point: compact scientific form.
    int last = std::min(nkept, 5) - 1;
    while (last > 0 && kept[last] == '0') --last;
    put(kept[0]);
    if (last > 0) {
      put('.');
      for (int i = 1; i <= last; ++i) put(kept[i]);
    }
    char e[8];
    int ne = std::snprintf(e, sizeof e, "E%d", exp10);
    for (int i = 0; i < ne; ++i) put(e[i]);
    return Text(std::string_view(out, static_cast<std::size_t>(o)));
  }

  // Digit with place value 10^p, zero outside the kept digits.
  auto digit = [&](int p) -> char {
    int i = exp10 - p;
    return (!zero && i >= 0 && i < nkept) ? kept[i] : '0';
  };
  int top = (zero || exp10 < 0) ? 0 : exp10;
  for (int p = top; p >= 0; --p) put(digit(p));
  if (d > 0) {
    put('.');
    for (int p = -1; p >= -d; --p) put(digit(p));
  }
  return Text(std::string_view(out, static_cast<std::size_t>(o)));
}

}  // namespace velmora::notation
