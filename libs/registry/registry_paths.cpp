#include "registry_paths.h"

namespace vzreg {

namespace {

// Appends the converted text at `used`; false when it does not fit.
bool AppendConverted(KeyPath& path, int& used, const char* text) {
  for (const char* c = text; *c; ++c) {
    if (used >= kKeyPathCapacity - 1) return false;
    path.text[used++] = *c == '|' ? '\\' : *c;
  }
  path.text[used] = '\0';
  return true;
}

}  // namespace

KeyPath ConvertPath(const char* path) {
  KeyPath result{};
  int used = 0;
  result.ok = AppendConverted(result, used, path ? path : "");
  return result;
}

}  // namespace vzreg
