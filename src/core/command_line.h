// The helper's command line: the phase switch and its "*"-separated tokens.
#pragma once

#include <cstddef>

namespace vz {

constexpr char kInitSetupSwitch[] = "/initsetup";  // nine tokens follow
constexpr char kRunOnceSwitch[] = "/runonce";
constexpr char kEndSetupSwitch[] = "/endsetup";    // two tokens follow

constexpr std::size_t kTokenScanStart = 10;  // tokens are looked for from this index on
constexpr int kInitSetupTokenCount = 9;
constexpr int kEndSetupTokenCount = 2;
constexpr std::size_t kShortNumberCapacity = 8;  // tokens 4 and 6: at most 7 characters

// True when the command line begins with the switch, compared without regard
// to case over the switch's own length.
bool StartsWithSwitch(const char* commandLine, const char* switchText);

// Splits the tokens of a phase's command line. Scanning starts at index 10
// (or at the end of a shorter command line); "*" is the only delimiter, and
// leading or repeated separators count as one. The command line itself is not
// changed: the tokens are cut in a copy. A token that is missing reads as "".
class PhaseTokens {
 public:
  PhaseTokens(const char* commandLine, int count);
  ~PhaseTokens();
  PhaseTokens(const PhaseTokens&) = delete;
  PhaseTokens& operator=(const PhaseTokens&) = delete;

  // Token number n, counted from 1 as the command line's description does.
  const char* Token(int n) const;
  int Found() const { return found_; }

 private:
  static constexpr int kMaxTokens = 9;
  char* copy_ = nullptr;
  const char* tokens_[kMaxTokens] = {};
  int found_ = 0;
};

// Integer value of a decimal text: optional leading blanks and sign, then the
// leading digits; 0 when there are none. Values beyond the int range are cut
// to its ends rather than overflowing.
int DecimalValue(const char* text);

// The /initsetup tokens the phase keeps; the others are read and skipped.
struct InitSetupTokens {
  char typeText[kShortNumberCapacity];    // token 4, product Type code
  int oemFlag;                            // token 6, nonzero for an OEM copy
};

// Token 1 → source folder of the setup context, token 4 → Type text,
// token 6 → OEM flag, token 9 → the product version string of the setup
// context. Each is cut to its buffer.
void TakeInitSetupTokens(const char* commandLine, InitSetupTokens* out);

// Token 1 → source folder, token 2 → install folder of the setup context, each
// cut to its buffer; then the source folder and the install folder are turned
// into their short forms, and then each gets a backslash when it lacks one.
void TakeEndSetupTokens(const char* commandLine);

}  // namespace vz
