#include "canvas/SdlTexelRuns.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace velmora {

namespace {

constexpr std::uint32_t kRunBit = 0x80000000u;
constexpr std::size_t kMaxCount = kRunBit - 1;
constexpr std::size_t kMinRun = 3;  // shorter repeats stay in a literal stretch

std::uint32_t Load(const std::uint8_t* p) {
  std::uint32_t w;
  std::memcpy(&w, p, 4);
  return w;
}

// Feeds every texel of the runs to put(texel, count) in order, at most
// limit texels in all.
template <typename Put>
void Walk(const TexelRuns& runs, std::size_t limit, Put&& put) {
  const std::vector<std::uint32_t>& w = runs.words;
  std::size_t i = 0;
  while (i < w.size() && limit > 0) {
    const std::uint32_t head = w[i++];
    std::size_t n = head & ~kRunBit;
    if (head & kRunBit) {
      if (i >= w.size()) return;
      n = std::min(n, limit);
      put(&w[i], n, true);
      ++i;
    } else {
      n = std::min({n, limit, w.size() - i});
      put(&w[i], n, false);
      i += head & ~kRunBit;
    }
    limit -= n;
  }
}

// Writes texels (already in the output's form) row by row.
class RowWriter {
 public:
  RowWriter(int width, int height, void* out, int pitch)
      : width_(static_cast<std::size_t>(width > 0 ? width : 0)), rows_(height > 0 ? height : 0),
        row_(static_cast<std::uint8_t*>(out)), pitch_(pitch) {}

  template <typename Texel>
  void Put(const std::uint32_t* src, std::size_t n, bool repeat, Texel&& texel) {
    while (n > 0 && y_ < rows_) {
      const std::size_t take = std::min(n, width_ - x_);
      std::uint32_t* dst = reinterpret_cast<std::uint32_t*>(row_) + x_;
      if (repeat) {
        const std::uint32_t value = texel(*src);
        for (std::size_t k = 0; k < take; ++k) dst[k] = value;
      } else {
        for (std::size_t k = 0; k < take; ++k) dst[k] = texel(src[k]);
        src += take;
      }
      n -= take;
      x_ += take;
      if (x_ == width_) {
        x_ = 0;
        ++y_;
        row_ += pitch_;
      }
    }
  }

 private:
  std::size_t width_;
  int rows_;
  std::uint8_t* row_;
  int pitch_;
  std::size_t x_ = 0;
  int y_ = 0;
};

}  // namespace

TexelRuns PackTexels(std::span<const std::uint8_t> rgba) {
  TexelRuns runs;
  const std::size_t n = rgba.size() / 4;
  runs.texels = n;
  const std::uint8_t* p = rgba.data();
  std::size_t literalHead = 0;  // index of the open literal stretch's header, or npos
  bool literalOpen = false;
  std::size_t i = 0;
  while (i < n) {
    const std::uint32_t texel = Load(p + i * 4);
    std::size_t same = 1;
    while (i + same < n && same < kMaxCount && Load(p + (i + same) * 4) == texel) ++same;
    if (same >= kMinRun) {
      runs.words.push_back(kRunBit | static_cast<std::uint32_t>(same));
      runs.words.push_back(texel);
      literalOpen = false;
      i += same;
      continue;
    }
    if (!literalOpen || runs.words[literalHead] == kMaxCount) {
      literalHead = runs.words.size();
      runs.words.push_back(0);
      literalOpen = true;
    }
    ++runs.words[literalHead];
    runs.words.push_back(texel);
    ++i;
  }
  runs.words.shrink_to_fit();
  return runs;
}

void UnpackTexels(const TexelRuns& runs, int width, int height, void* out, int pitch) {
  if (width <= 0 || height <= 0) return;
  RowWriter writer(width, height, out, pitch);
  Walk(runs, static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
       [&](const std::uint32_t* src, std::size_t n, bool repeat) {
         writer.Put(src, n, repeat, [](std::uint32_t t) { return t; });
       });
}

void UnpackModulated(const TexelRuns& runs, int width, int height, std::uint32_t argb, void* out, int pitch) {
  if (width <= 0 || height <= 0) return;
  // One table per texel byte, R G B A.
  const unsigned mod[4] = {(argb >> 16) & 0xFFu, (argb >> 8) & 0xFFu, argb & 0xFFu, argb >> 24};
  std::array<std::array<std::uint8_t, 256>, 4> table;
  for (std::size_t c = 0; c < 4; ++c)
    for (unsigned v = 0; v < 256; ++v) table[c][v] = static_cast<std::uint8_t>(v * mod[c] / 255u);
  RowWriter writer(width, height, out, pitch);
  Walk(runs, static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
       [&](const std::uint32_t* src, std::size_t n, bool repeat) {
         writer.Put(src, n, repeat, [&](std::uint32_t t) {
           std::uint8_t b[4];
           std::memcpy(b, &t, 4);
           for (std::size_t c = 0; c < 4; ++c) b[c] = table[c][b[c]];
           std::memcpy(&t, b, 4);
           return t;
         });
       });
}

}  // namespace velmora
