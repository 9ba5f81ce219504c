// artgen: draws the MFD's catalogue pictures.
//   artgen --out DIR     writes DIR/<Name>.png (and DIR/White_line.bmp)
//   artgen --sheet FILE  writes a contact sheet of all pictures with names
//   artgen --icon FILE   writes the program's Windows icon (.ico)
#include "assets/ImageCatalogue.h"
#include "tools/artgen/Artwork.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

void Usage(std::FILE* to) {
  std::fprintf(to,
               "Usage: artgen [--out DIR] [--sheet FILE] [--icon FILE]\n"
               "Draws the instrument pictures of the Velmora MFD.\n"
               "  --out DIR     write DIR/<Name>.png and DIR/White_line.bmp\n"
               "  --sheet FILE  write a PNG contact sheet of all pictures with their names\n"
               "  --icon FILE   write the program's Windows icon, every size in one .ico\n"
               "  --help        show this text\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::string outDir, sheet, icon;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      Usage(stdout);
      return 0;
    }
    if ((a == "--out" || a == "--sheet" || a == "--icon") && i + 1 < argc) {
      (a == "--out" ? outDir : a == "--sheet" ? sheet : icon) = argv[++i];
      continue;
    }
    std::fprintf(stderr, "artgen: unexpected argument '%s'\n", a.c_str());
    Usage(stderr);
    return 2;
  }
  if (outDir.empty() && sheet.empty() && icon.empty()) {
    Usage(stderr);
    return 2;
  }
  std::string error;
  if (!icon.empty()) {
    if (!velmora::art::WriteIcon(icon, error)) {
      std::fprintf(stderr, "artgen: %s\n", error.c_str());
      return 1;
    }
    if (outDir.empty() && sheet.empty()) return 0;
  }
  const auto start = std::chrono::steady_clock::now();
  std::vector<velmora::art::Picture> pictures;
  for (const velmora::ImageEntry& e : velmora::kImageCatalogue) pictures.push_back(velmora::art::DrawPicture(e.name));
  if (!outDir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    for (const velmora::ImageEntry& e : velmora::kImageCatalogue) {
      if (!velmora::art::WritePicture(e, pictures[static_cast<std::size_t>(e.index)], outDir, error)) {
        std::fprintf(stderr, "artgen: %s\n", error.c_str());
        return 1;
      }
    }
  }
  if (!sheet.empty() && !velmora::art::WriteContactSheet(pictures, sheet, error)) {
    std::fprintf(stderr, "artgen: %s\n", error.c_str());
    return 1;
  }
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::printf("artgen: %zu pictures in %.0f ms\n", pictures.size(), ms);
  velmora::art::ReleaseFontCaches();
  return 0;
}
