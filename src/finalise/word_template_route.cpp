// Word macro protection, template route (Word 97): the global template
// NORMAL.DOT is set aside as NORMAL.ORG and VZFW97.MAL takes its place.
// Word is not started.
#include <windows.h>

#include "core/setup_context.h"
#include "core/text.h"
#include "finalise/word_protection.h"
#include "finalise/word_state.h"
#include "services/misc.h"

namespace vz {

namespace {

constexpr char kGlobalTemplateName[] = "NORMAL.DOT";
constexpr char kSetAsideName[] = "NORMAL.ORG";
constexpr char kWord97TemplateName[] = "VZFW97.MAL";

// Folder + name, shortened where the file exists. False when it does not fit.
bool BuildPath(char (&path)[kPathCapacity], const char* folder, const char* name) {
  CopyText(path, folder);
  if (!AppendText(path, name)) return false;
  ShortenPathInPlace(path);
  return true;
}

// NORMAL.DOT becomes NORMAL.ORG, unless a NORMAL.ORG is there already (from
// an earlier installation: that one is Word's own and stays).
void SetGlobalTemplateAside(const char* folder) {
  char dot[kPathCapacity], org[kPathCapacity];
  if (BuildPath(dot, folder, kGlobalTemplateName) && BuildPath(org, folder, kSetAsideName))
    MoveFileA(dot, org);  // fails, and changes nothing, when NORMAL.ORG exists or NORMAL.DOT does not
}

}  // namespace

int ReplaceGlobalTemplate() {
  g_word.WordStepFinished = 1;
  char wordFolder[kPathCapacity] = "";
  if (!LocateWordFolder(wordFolder)) return 0;  // nothing to work on: not installed
  SetGlobalTemplateAside(wordFolder);

  // Without a templates folder, Word's own folder holds the global template.
  char templates[kPathCapacity] = "";
  if (LocateWordTemplates(templates)) SetGlobalTemplateAside(templates);
  else CopyText(templates, wordFolder);

  char source[kPathCapacity], destination[kPathCapacity];
  int copied = 0;
  if (BuildPath(source, g_setup.installFolder, kWord97TemplateName) &&
      BuildPath(destination, templates, kGlobalTemplateName))
    copied = FileCopy(source, destination, 1);

  g_word.WordProtectionInstalled = 1;
  return copied;
}

}  // namespace vz
