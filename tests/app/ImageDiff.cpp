// velmora-image-diff A B TOLERANCE MAX_SHARE: compares two pictures of the
// same size pixel by pixel. A pixel differs when any channel differs by more
// than TOLERANCE (0-255); the pictures match when at most MAX_SHARE (0-1) of
// the pixels differ. Prints the figures; exit status 0 on a match, 1 when
// they do not match, 2 on a usage or read error.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "assets/SdlImageDecoder.h"

namespace {

bool Load(const char* path, velmora::DecodedImage& image) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  velmora::SdlImageDecoder decoder;
  if (bytes.empty() || !decoder.Decode(bytes, image)) {
    std::fprintf(stderr, "velmora-image-diff: cannot read %s\n", path);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: velmora-image-diff A.png B.png TOLERANCE MAX_SHARE\n");
    return 2;
  }
  const int tolerance = std::atoi(argv[3]);
  const double maxShare = std::atof(argv[4]);
  velmora::DecodedImage a, b;
  if (!Load(argv[1], a) || !Load(argv[2], b)) return 2;
  if (a.width != b.width || a.height != b.height) {
    std::printf("sizes differ: %dx%d and %dx%d\n", a.width, a.height, b.width, b.height);
    return 1;
  }
  long differing = 0;
  int largest = 0;
  for (std::size_t i = 0; i < a.rgba.size(); i += 4) {
    int worst = 0;
    for (std::size_t c = 0; c < 3; ++c) worst = std::max(worst, std::abs(int{a.rgba[i + c]} - int{b.rgba[i + c]}));
    largest = std::max(largest, worst);
    if (worst > tolerance) ++differing;
  }
  const double share = static_cast<double>(differing) / (static_cast<double>(a.width) * a.height);
  std::printf("%.3f%% of the pixels differ by more than %d (at most %.3f%% allowed); largest difference %d\n",
              share * 100, tolerance, maxShare * 100, largest);
  return share <= maxShare ? 0 : 1;
}
