// Where Word is: its folder, its program file and its templates folder.
#include <windows.h>

#include <cstring>

#include "core/setup_context.h"
#include "core/text.h"
#include "finalise/word_protection.h"
#include "finalise/word_state.h"
#include "services/registry.h"

namespace vz {

namespace {

constexpr char kExtensionsKey[] = "Software|Microsoft|Windows|CurrentVersion|Extensions";
constexpr char kWordProgramName[] = "winword.exe";

bool IsExistingFolder(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Shortens the candidate in place and keeps it, with a backslash, when it is
// an existing folder.
bool TakeTemplatesCandidate(char (&candidate)[kPathCapacity], char* buffer) {
  ShortenPathInPlace(candidate);
  if (!IsExistingFolder(candidate)) return false;
  if (!EnsureTrailingBackslash(candidate)) return false;
  return CopyText(buffer, kPathCapacity, candidate);
}

}  // namespace

bool CutAfterLastBackslash(char* path) {
  char* last = std::strrchr(path, '\\');
  if (!last) return false;
  last[1] = '\0';
  return true;
}

bool IsExistingFile(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WordPathFromEmbeddingEntry(const char* entry, char* buffer, std::size_t capacity) {
  if (capacity == 0) return false;
  buffer[0] = '\0';
  const char* colon = std::strchr(entry, ':');
  if (!colon || colon == entry) return false;  // no drive letter before it
  const char* start = colon - 1;
  const char* comma = std::strchr(colon, ',');
  if (!comma) return false;
  std::size_t length = static_cast<std::size_t>(comma - start);
  if (length >= capacity) return false;
  std::memcpy(buffer, start, length);
  buffer[length] = '\0';
  return true;
}

int LocateWordFolder(char* buffer) {
  // One character more than a path holds, so that a value the library had to
  // cut is seen as too long rather than taken as a shorter path.
  char path[kPathCapacity + 1] = "";
  if ((GetRegValue(HKEY_CURRENT_USER, kExtensionsKey, "doc", path, sizeof path) & 0xFFFF) == 1) {
    if (std::strlen(path) >= kPathCapacity) return 0;
  } else {
    char entry[kWinIniEntryCapacity] = {};
    GetProfileStringA("embedding", "WordDocument", "", entry, sizeof entry);
    if (entry[0] == '\0') return 0;
    if (!WordPathFromEmbeddingEntry(entry, path, kPathCapacity)) return 0;
  }
  if (!CutAfterLastBackslash(path)) return 0;
  CopyText(buffer, kPathCapacity, path);
  return 1;
}

int LocateWordProgram(char* buffer) {
  char path[kPathCapacity] = "";
  if (!LocateWordFolder(path)) return 0;
  if (!AppendText(path, kWordProgramName)) return 0;
  CopyText(buffer, kPathCapacity, path);
  return 1;
}

int LocateWordTemplates(char* buffer) {
  char wordFolder[kPathCapacity] = "";
  if (!LocateWordFolder(wordFolder)) return 0;

  // First the folder TEMPLATES beside Word's own folder.
  char candidate[kPathCapacity] = "";
  CopyText(candidate, wordFolder);
  std::size_t length = std::strlen(candidate);
  if (length > 0) candidate[length - 1] = '\0';  // Word's folder without its backslash
  if (CutAfterLastBackslash(candidate) && AppendText(candidate, "TEMPLATES") &&
      TakeTemplatesCandidate(candidate, buffer))
    return 1;

  // Then the folder TEMPLATE inside it.
  CopyText(candidate, wordFolder);
  if (AppendText(candidate, "TEMPLATE") && TakeTemplatesCandidate(candidate, buffer)) return 1;
  return 0;
}

}  // namespace vz
