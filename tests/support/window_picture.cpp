#include "window_picture.h"

#include <algorithm>

namespace bench {

namespace {

bool WriteBmp(const std::string& path, const BITMAPINFOHEADER& header, const void* bits, DWORD imageSize) {
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + imageSize;
  HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0, total = 0;
  if (WriteFile(out, &file, sizeof file, &written, nullptr)) total += written;
  if (WriteFile(out, &header, sizeof header, &written, nullptr)) total += written;
  if (WriteFile(out, bits, imageSize, &written, nullptr)) total += written;
  CloseHandle(out);
  return total == file.bfSize;
}

}  // namespace

bool SaveWindowPicture(HWND window, const std::string& bmpPath) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) return false;
  // Only what the screen shows can be read.
  rect.left = std::max<LONG>(rect.left, 0);
  rect.top = std::max<LONG>(rect.top, 0);
  rect.right = std::min<LONG>(rect.right, GetSystemMetrics(SM_CXSCREEN));
  rect.bottom = std::min<LONG>(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;

  // Read from the screen: another process's window surface is not ours to read.
  HDC screen = GetDC(nullptr);
  if (!screen) return false;
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP picture = memory ? CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
  bool saved = false;
  if (picture && bits) {
    HGDIOBJ old = SelectObject(memory, picture);
    if (BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY)) {
      GdiFlush();
      DWORD rowSize = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;  // rows are padded to 4 bytes
      info.bmiHeader.biSizeImage = rowSize * static_cast<DWORD>(height);
      saved = WriteBmp(bmpPath, info.bmiHeader, bits, info.bmiHeader.biSizeImage);
    }
    SelectObject(memory, old);
  }
  if (picture) DeleteObject(picture);
  if (memory) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return saved;
}

}  // namespace bench
