// One instrument-page frame: 34 pictures of the catalogue's sizes and 30
// short readouts. BM_SpriteFrame draws it on the software-rendered SDL
// canvas, 1024 × 650 (frames per second); BM_RecordedFrame hands the same
// calls to the canvas of --null-render runs (the calls' own cost per frame).
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "canvas/RecordingCanvas.h"
#include "canvas/SdlCanvas.h"
#include "pages/Fonts.h"

namespace velmora {
namespace {

struct SpriteSpec {
  const char* image;
  int w, h;
  float x, y, cx, cy;
};

// The instrument sprites' pictures and rest places.
const SpriteSpec kSprites[34] = {
    {"ADI_pitch", 256, 1600, 275, 16, 0, 0},       {"DRP", 154, 3, 373, 206, 0, 0},
    {"DRB", 3, 153, 402, 206, 0.5f, 1},            {"Plane", 892, 280, -44, 16, 0.5f, 0.75f},
    {"Main_minus_ADI", 1024, 665, 0, 0, 0, 0},     {"Speed", 219, 213, 103, 330, 0, 0},
    {"Speed_arrow", 83, 44, 127, 394, 1, 1},       {"Vertical_speed", 102, 203, 555, 113, 0, 0},
    {"Vertical_speed_arrow", 23, 80, 650, 147, 0.25f, 1}, {"G_meter", 64, 221, 90, 90, 0, 0},
    {"G_meter_arrow", 33, 10, 93, 90, 0, 0},       {"AOA", 104, 220, 160, 107, 0, 0},
    {"AOA_arrow", 176, 48, 185, 215, 1, 1},        {"Alt", 219, 211, 488, 335, 0, 0},
    {"Alt_KM", 54, 45, 592, 402, 0.1f, 0.9f},      {"Alt_M", 35, 93, 568, 436, 0.82f, 0.05f},
    {"HSI_compass", 168, 169, 318, 380, 0.5f, 0.5f}, {"ADF", 11, 162, 396, 384, 0.5f, 0.5f},
    {"RMI", 13, 160, 395, 384, 0.5f, 0.5f},        {"Slide_ball", 94, 23, 356, 340, 0, 0},
    {"Ball", 9, 201, 399, 160, 0.5f, 0},           {"Map_Plane", 100, 149, 379, 500, 0, 0},
    {"Tactic_Fon", 874, 500, 75, 71, 0, 0},        {"Tactic_Compass", 790, 792, 6, 145, 0, 0},
    {"Tactic_Frame", 1024, 665, 0, 0, 0, 0},       {"Map_Plane", 100, 149, 0, 0, 0, 0},
    {"Tactic_Course_Line", 4, 389, 398, 141, 0, 0}, {"Mach_meter", 900, 31, 0, 392, 0, 0},
    {"HSI_fon", 102, 102, 350, 415, 0, 0},         {"Engine_Fon", 198, 278, 730, 155, 0, 0},
    {"Engine_Fon_2", 177, 283, 740, 155, 0, 0},    {"Engine_Left_Arrow", 252, 16, 502, 180, 0, 0.5f},
    {"Engine_Right_Arrow", 252, 16, 760, 180, 0, 0.5f}, {"Engine_Left_Arrow_Red", 252, 16, 502, 200, 0, 0.5f},
};

std::vector<std::uint8_t> Picture(int w, int h, int seed) {
  std::vector<std::uint8_t> px(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      auto* p = &px[(static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)) * 4];
      p[0] = static_cast<std::uint8_t>(x + seed);
      p[1] = static_cast<std::uint8_t>(y * 3);
      p[2] = static_cast<std::uint8_t>(seed * 40);
      p[3] = static_cast<std::uint8_t>((x ^ y) & 1 ? 255 : 160);
    }
  return px;
}

struct Page {
  Canvas& canvas;
  std::vector<int> sprites;  // picture of each sprite
  std::vector<std::string> texts;

  explicit Page(Canvas& c) : canvas(c) {
    std::vector<PictureData> pictures;
    for (int i = 0; i < 34; ++i) {
      int at = 0;
      while (at < static_cast<int>(pictures.size()) && pictures[static_cast<std::size_t>(at)].name != kSprites[i].image) ++at;
      if (at == static_cast<int>(pictures.size()))
        pictures.push_back({kSprites[i].image, kSprites[i].w, kSprites[i].h, 0, 0, Picture(kSprites[i].w, kSprites[i].h, i)});
      sprites.push_back(at);
    }
    std::string failed;
    if (canvas.Open(1024, 650, pictures, kFontTable, failed) != ScreenStatus::Ok) return;
    for (int i = 0; i < 30; ++i) {
      char buf[16];
      std::snprintf(buf, sizeof buf, "%d.%d", 100 + i * 37, i % 10);
      texts.emplace_back(buf);
    }
  }

  void Frame(int n) {
    canvas.BeginFrame(0xFFFFFFFFu);
    for (std::size_t i = 0; i < sprites.size(); ++i) {
      PictureTurn turn{.pivotX = kSprites[i].cx, .pivotY = kSprites[i].cy};
      if (kSprites[i].cx != 0 || kSprites[i].cy != 0) turn.angle = static_cast<float>((n * 3 + static_cast<int>(i) * 10) % 360);
      canvas.DrawPicture(sprites[i], kSprites[i].x, kSprites[i].y, turn);
    }
    for (std::size_t i = 0; i < texts.size(); ++i)
      canvas.Text(i % 8, 40 + static_cast<int>(i % 6) * 160, 30 + static_cast<int>(i / 6) * 110,
                  texts[i], MakeArgb(50, 50, 50));
    canvas.Present();
  }
};

void BM_SpriteFrame(benchmark::State& state) {
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    state.SkipWithError(SDL_GetError());
    return;
  }
  SDL_Window* window = SDL_CreateWindow("bench", 0, 0, 1024, 640, SDL_WINDOW_HIDDEN);
  {
    SdlCanvas canvas(window, SdlCanvasOptions{true, 256});
    Page page(canvas);
    int n = 0;
    for (auto _ : state) page.Frame(n++);
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  }
  SDL_DestroyWindow(window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
BENCHMARK(BM_SpriteFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RecordedFrame(benchmark::State& state) {
  RecordingCanvas canvas(false);  // nothing kept: the calls' cost, not the recorder's
  Page page(canvas);
  int n = 0;
  for (auto _ : state) page.Frame(n++);
}
BENCHMARK(BM_RecordedFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();
