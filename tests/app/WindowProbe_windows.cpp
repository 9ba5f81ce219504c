// velmora-window-probe CAPTION SHOT.bmp: waits (up to 60 s) for a top-level
// window with exactly that caption, saves what it shows as a 32-bit BMP,
// prints the caption and client size, then asks the window to close with
// WM_CLOSE, as the close button does. Exit status 1 when no such window
// appeared or the picture could not be taken.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::wstring Widen(const char* s) {
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, s, -1, nullptr, 0);
  std::wstring w(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) ::MultiByteToWideChar(CP_UTF8, 0, s, -1, w.data(), n);
  return w;
}

template <typename T>
void Put(std::ofstream& out, T value) {
  out.write(reinterpret_cast<const char*>(&value), sizeof value);
}

bool SaveClientArea(HWND window, int width, int height, const char* path) {
  HDC screen = ::GetDC(window);
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  const bool copied = ::BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  ::SelectObject(memory, old);
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = -height;  // top row first
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
  const int rows = ::GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
                               DIB_RGB_COLORS);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(window, screen);
  if (!copied || rows != height) return false;
  std::ofstream out(path, std::ios::binary);
  Put<std::uint16_t>(out, 0x4D42);
  Put<std::uint32_t>(out, static_cast<std::uint32_t>(14 + sizeof info + pixels.size()));
  Put<std::uint32_t>(out, 0);
  Put<std::uint32_t>(out, static_cast<std::uint32_t>(14 + sizeof info));
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: velmora-window-probe CAPTION SHOT.bmp\n");
    return 2;
  }
  const std::wstring caption = Widen(argv[1]);
  HWND window = nullptr;
  for (int i = 0; i < 600 && !window; ++i) {
    window = ::FindWindowW(nullptr, caption.c_str());
    if (!window) ::Sleep(100);
  }
  if (!window) {
    std::fprintf(stderr, "no window captioned '%s'\n", argv[1]);
    return 1;
  }
  ::Sleep(1500);  // a few frames drawn
  RECT client{};
  ::GetClientRect(window, &client);
  wchar_t text[256] = {};
  ::GetWindowTextW(window, text, 256);
  char utf8[1024] = {};
  ::WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
  std::printf("caption '%s' client %ldx%ld\n", utf8, client.right, client.bottom);
  const bool saved = SaveClientArea(window, client.right, client.bottom, argv[2]);
  if (!saved) std::fprintf(stderr, "cannot take the window's picture\n");
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  return saved ? 0 : 1;
}
