#include "core/text.h"

#include <windows.h>

#include <cstring>

namespace vz {

bool CopyText(char* dst, std::size_t cap, const char* src) {
  if (cap == 0) return false;
  if (!src) src = "";
  std::size_t len = std::strlen(src);
  bool fits = len < cap;
  std::size_t n = fits ? len : cap - 1;
  std::memmove(dst, src, n);
  dst[n] = '\0';
  return fits;
}

bool AppendText(char* dst, std::size_t cap, const char* src) {
  if (cap == 0) return false;
  std::size_t used = strnlen(dst, cap);
  if (used >= cap) {  // not terminated within the capacity: cut it first
    dst[cap - 1] = '\0';
    used = cap - 1;
  }
  return CopyText(dst + used, cap - used, src);
}

bool EndsWithBackslash(const char* text) {
  std::size_t len = std::strlen(text);
  return len > 0 && text[len - 1] == '\\';
}

bool EnsureTrailingBackslash(char* dst, std::size_t cap) {
  if (dst[0] == '\0') return false;
  if (EndsWithBackslash(dst)) return true;
  return AppendText(dst, cap, "\\");
}

void LowerText(char* text) {
  for (; *text; ++text)
    if (*text >= 'A' && *text <= 'Z') *text = static_cast<char>(*text - 'A' + 'a');
}

void UpperText(char* text) {
  for (; *text; ++text)
    if (*text >= 'a' && *text <= 'z') *text = static_cast<char>(*text - 'a' + 'A');
}

void ShortenPathInPlace(char* path, std::size_t cap) {
  if (path[0] == '\0') return;
  char shortPath[MAX_PATH * 4];
  DWORD len = GetShortPathNameA(path, shortPath, sizeof shortPath);
  if (len == 0 || len >= sizeof shortPath) return;
  if (len < cap) CopyText(path, cap, shortPath);
}

}  // namespace vz
