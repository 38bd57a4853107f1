// The pure computations on record texts: versions, the previous install
// folder in an uninstall command, flags.
#include <cstdlib>
#include <cstring>

#include "core/records.h"
#include "core/setup_context.h"
#include "core/text.h"

namespace vz {

namespace {

constexpr char kUninstallerName[] = "uninst.exe";
constexpr char kLogSwitch[] = "-f";
constexpr std::size_t kNumberCapacity = 64;  // the longest number text a version value reads

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

double VersionValue(const char* text) {
  if (!text) return 0;
  // The leading decimal number: blanks, sign, digits, a point and digits,
  // an exponent. Nothing else (no hexadecimal, no "inf").
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  const char* start = p;
  if (*p == '+' || *p == '-') ++p;
  bool digits = false;
  while (IsDigit(*p)) ++p, digits = true;
  if (*p == '.') {
    ++p;
    while (IsDigit(*p)) ++p, digits = true;
  }
  if (!digits) return 0;
  if (*p == 'e' || *p == 'E') {
    const char* e = p + 1;
    if (*e == '+' || *e == '-') ++e;
    if (IsDigit(*e)) {
      while (IsDigit(*e)) ++e;
      p = e;
    }
  }
  char number[kNumberCapacity];
  std::size_t len = static_cast<std::size_t>(p - start);
  if (len >= sizeof number) len = sizeof number - 1;  // a number this long has long reached its value
  std::memcpy(number, start, len);
  number[len] = '\0';
  return std::strtod(number, nullptr);
}

bool PreviousFolderFromCommand(const char* command, char* folder, std::size_t capacity) {
  if (!command || capacity == 0) return false;
  char work[kPathCapacity];
  CopyText(work, command);
  LowerText(work);
  const char* uninstaller = std::strstr(work, kUninstallerName);
  if (!uninstaller) return false;
  const char* logSwitch = std::strstr(uninstaller + std::strlen(kUninstallerName), kLogSwitch);
  if (!logSwitch) return false;
  // "-f" and the one character after it; nothing after them names no folder.
  const char* rest = logSwitch + std::strlen(kLogSwitch);
  if (*rest == '\0' || rest[1] == '\0') return false;
  ++rest;
  CopyText(folder, capacity, rest);
  if (char* slash = std::strrchr(folder, '\\')) slash[1] = '\0';
  return true;
}

bool IsFlagSet(const char* value) { return value && value[0] == '1'; }

}  // namespace vz
