#include "core/command_line.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "core/setup_context.h"
#include "core/text.h"

namespace vz {

bool StartsWithSwitch(const char* commandLine, const char* switchText) {
  return _strnicmp(commandLine, switchText, std::strlen(switchText)) == 0;
}

PhaseTokens::PhaseTokens(const char* commandLine, int count) {
  if (count > kMaxTokens) count = kMaxTokens;
  std::size_t len = std::strlen(commandLine);
  copy_ = static_cast<char*>(std::malloc(len + 1));
  if (!copy_) return;
  std::memcpy(copy_, commandLine, len + 1);
  // A command line shorter than the scan start has no tokens at all.
  char* p = copy_ + (len < kTokenScanStart ? len : kTokenScanStart);
  while (found_ < count) {
    while (*p == '*') ++p;
    if (*p == '\0') break;
    tokens_[found_++] = p;
    while (*p != '\0' && *p != '*') ++p;
    if (*p == '*') *p++ = '\0';
  }
}

PhaseTokens::~PhaseTokens() { std::free(copy_); }

const char* PhaseTokens::Token(int n) const {
  if (n < 1 || n > found_) return "";
  return tokens_[n - 1];
}

int DecimalValue(const char* text) {
  while (*text == ' ' || *text == '\t') ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = (*text++ == '-');
  long long value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + (*text - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  return static_cast<int>(value);
}

void TakeInitSetupTokens(const char* commandLine, InitSetupTokens* out) {
  PhaseTokens tokens(commandLine, kInitSetupTokenCount);
  CopyText(g_setup.sourceFolder, tokens.Token(1));
  CopyText(out->typeText, tokens.Token(4));
  char oemText[kShortNumberCapacity];
  CopyText(oemText, tokens.Token(6));
  out->oemFlag = DecimalValue(oemText);
  CopyText(g_setup.productVersion, tokens.Token(9));
}

void TakeEndSetupTokens(const char* commandLine) {
  PhaseTokens tokens(commandLine, kEndSetupTokenCount);
  CopyText(g_setup.sourceFolder, tokens.Token(1));
  CopyText(g_setup.installFolder, tokens.Token(2));
  ShortenPathInPlace(g_setup.sourceFolder);
  ShortenPathInPlace(g_setup.installFolder);
  EnsureTrailingBackslash(g_setup.sourceFolder);
  EnsureTrailingBackslash(g_setup.installFolder);
}

}  // namespace vz
