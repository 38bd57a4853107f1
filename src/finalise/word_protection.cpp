// Word macro protection: the step itself, and what follows either route: a
// backup of the global template and DOTBK.EXE entered to start with Windows.
#include <windows.h>

#include "core/records.h"
#include "core/setup_context.h"
#include "core/text.h"
#include "finalise/component_choices.h"
#include "finalise/word_protection.h"
#include "finalise/word_state.h"
#include "services/misc.h"
#include "services/registry.h"

namespace vz {

WordState g_word;

namespace {

constexpr char kWord97Key[] = "SOFTWARE|Microsoft|Office|8.0|Word";
constexpr char kGlobalTemplateName[] = "NORMAL.DOT";
constexpr char kBackupName[] = "VZNORM.QOT";
constexpr char kRecordName[] = "VZFW.INI";
constexpr char kDotbkName[] = "DOTBK.EXE";
constexpr char kDotbkRunValue[] = "VZFW";

// The global template: NORMAL.DOT of the templates folder, else of Word's folder.
bool FindGlobalTemplate(char (&path)[kPathCapacity]) {
  char folder[kPathCapacity] = "";
  if (LocateWordTemplates(folder)) {
    CopyText(path, folder);
    if (AppendText(path, kGlobalTemplateName) && IsExistingFile(path)) return true;
  }
  if (!LocateWordFolder(folder)) return false;
  CopyText(path, folder);
  return AppendText(path, kGlobalTemplateName) && IsExistingFile(path);
}

}  // namespace

void BackUpGlobalTemplate() {
  char globalTemplate[kPathCapacity] = "";
  if (!FindGlobalTemplate(globalTemplate)) return;

  char backup[kPathCapacity] = "";
  CopyText(backup, g_setup.installFolder);
  char record[kPathCapacity] = "";
  CopyText(record, g_setup.installFolder);
  if (!AppendText(backup, kBackupName) || !AppendText(record, kRecordName)) return;

  SetFileAttributesA(backup, FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(backup);
  FileCopy(globalTemplate, backup, 1);
  WritePrivateProfileStringA("WORD", "Global Template", globalTemplate, record);
}

void AddDotbkRunValue() {
  char dotbk[kPathCapacity] = "";
  CopyText(dotbk, g_setup.installFolder);
  if (!AppendText(dotbk, kDotbkName)) return;
  ShortenPathInPlace(dotbk);
  AddRegistryValue(HKEY_LOCAL_MACHINE, kRunKey, kDotbkRunValue, dotbk);
}

int InstallWordProtection() {
  if (!g_choices.WordProtection) return 0;
  if (IsRegistryKeyPresent(HKEY_LOCAL_MACHINE, kWord97Key)) ReplaceGlobalTemplate();
  else RunProtectionDocument();
  if (g_word.WordProtectionInstalled != 1) return 0;
  BackUpGlobalTemplate();
  AddDotbkRunValue();
  return 1;
}

}  // namespace vz
