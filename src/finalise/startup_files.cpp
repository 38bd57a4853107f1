#include "finalise/startup_files.h"

#include <windows.h>

#include <cstring>

#include "core/setup_context.h"
#include "core/text.h"
#include "finalise/rename_swap.h"
#include "services/filewrap.h"

namespace vz {

namespace {

constexpr std::size_t kLineCapacity = 180;  // line buffer of both files, terminator included

constexpr char kWininitFile[] = "WININIT.INI";
constexpr char kWininitWork[] = "WININIT.TMP";  // the new content while it is written
constexpr char kWininitSwap[] = "WININIT.VZ";

constexpr char kAutoexecFile[] = "C:\\AUTOEXEC.BAT";
constexpr char kAutoexecWork[] = "C:\\AUTOEXEC.VZ";  // the new content, then the previous file as backup
constexpr char kAutoexecSwap[] = "C:\\AUTOEXEC.TMP";
constexpr char kStartupChecker[] = "VZSTRUP.EXE";
constexpr char kStartupCheckerPattern[] = "vzstrup";

// Copies every line of the input whose lower-cased copy does not contain the
// pattern (lower case) to the output, as it was read. True when the whole
// input was read and every kept line written: only then may the new file
// replace the old one. A line longer than the buffer comes in pieces, each
// tested and written by itself.
bool CopyLinesWithout(FileHandle input, FileHandle output, const char* loweredPattern) {
  char line[kLineCapacity];
  char compare[kLineCapacity];
  while (my_eof(input) == 0) {
    if (!my_gets(input, static_cast<int>(kLineCapacity), line)) break;  // a failing read is never repeated
    CopyText(compare, line);
    LowerText(compare);
    if (std::strstr(compare, loweredPattern)) continue;
    if (!my_puts(output, line)) return false;
  }
  return my_eof(input) == 1;
}

enum class Rewrite { NotStarted, Incomplete, Complete };

// Opens the file and its work file (created empty), writes the first line
// when one is given, then the kept lines. NotStarted when either open failed.
Rewrite RewriteLines(const char* file, const char* work, const char* firstLine, const char* loweredPattern) {
  FileHandle input = my_open(file, kOpenTextRead, kPermissionRead);
  if (input == kOpenFailed) return Rewrite::NotStarted;
  FileHandle output = my_open(work, kOpenTextCreate);
  if (output == kOpenFailed) {
    my_close(input);
    return Rewrite::NotStarted;
  }
  bool complete = (!firstLine || my_puts(output, firstLine)) && CopyLinesWithout(input, output, loweredPattern);
  my_close(output);
  my_close(input);
  return complete ? Rewrite::Complete : Rewrite::Incomplete;
}

}  // namespace

void RemoveWininitLines(const char* installFolder, const char* windowsFolder) {
  char pattern[kPathCapacity];
  CopyText(pattern, installFolder);
  LowerText(pattern);
  if (pattern[0] == '\0') return;  // an empty pattern would match every line

  char folder[kPathCapacity];
  if (!CopyText(folder, windowsFolder) || !EnsureTrailingBackslash(folder)) return;
  char file[kPathCapacity], work[kPathCapacity], swap[kPathCapacity];
  CopyText(file, folder);
  CopyText(work, folder);
  CopyText(swap, folder);
  if (!AppendText(file, kWininitFile) || !AppendText(work, kWininitWork) || !AppendText(swap, kWininitSwap)) return;

  DeleteFileA(swap);
  DeleteFileA(work);

  Rewrite rewrite = RewriteLines(file, work, nullptr, pattern);
  if (rewrite == Rewrite::NotStarted) return;

  // The previous content is not kept once the new one is in place; while a
  // rename undoing a failed one has failed too, it is the only copy left.
  if (rewrite == Rewrite::Complete && SwapInByRenames(work, swap, file) == SwapResult::Broken) return;
  DeleteFileA(swap);
  DeleteFileA(work);
}

void SetAutoexecStartupLine() {
  if (g_setup.installFolder[0] == '\0') return;
  char checker[kPathCapacity];
  if (!CopyText(checker, g_setup.installFolder) || !AppendText(checker, kStartupChecker)) return;
  ShortenPathInPlace(checker);

  DeleteFileA(kAutoexecWork);
  DeleteFileA(kAutoexecSwap);

  Rewrite rewrite = RewriteLines(kAutoexecFile, kAutoexecWork, checker, kStartupCheckerPattern);
  if (rewrite == Rewrite::NotStarted) return;

  // The previous file stays as C:\AUTOEXEC.VZ only when the new one is in
  // place; an unfinished or refused new content must not pass for a backup.
  SwapResult result = rewrite == Rewrite::Complete ? SwapInByRenames(kAutoexecWork, kAutoexecSwap, kAutoexecFile)
                                                   : SwapResult::NotSwapped;
  if (result == SwapResult::NotSwapped) {
    DeleteFileA(kAutoexecWork);
    DeleteFileA(kAutoexecSwap);
  }
}

}  // namespace vz
