#include "finalise/shell_integration.h"

#include <windows.h>

#include <cstring>

#include "core/setup_context.h"
#include "core/text.h"
#include "finalise/component_choices.h"
#include "services/misc.h"
#include "services/registry.h"

namespace vz {

namespace {

constexpr char kScanVerbCommand[] = "VZ32.EXE /Vz32Scan%1";  // after the install folder
constexpr char kScanVerbKey[] = "|shell|Velzor Scan|command";  // after a file type or class
constexpr const char* kScannedClasses[] = {"comfile", "exefile", "Drive", "Directory"};
constexpr const char* kArchiveExtensions[] = {".ARJ", ".ZIP"};
constexpr char kDefaultArchiveType[] = "vzcomp";
constexpr std::size_t kArchiveTypeCapacity = 14;
constexpr std::size_t kVerbKeyCapacity = kArchiveTypeCapacity + sizeof kScanVerbKey;

constexpr char kGroupName[] = "Velzor";
constexpr unsigned short kShowGroupCommand = 1;
constexpr std::size_t kItemFileCapacity = 20;
constexpr std::size_t kItemTitleCapacity = 30;
struct GroupItem {
  char file[kItemFileCapacity];
  char title[kItemTitleCapacity];
};
constexpr GroupItem kGroupItems[] = {
    {"VZ32.EXE", "Velzor"},
    {"NEXOLT.EXE", "Online Protection"},
    {"TOOLBAR.EXE", "Tool Bar"},
    {"VZSCHED.EXE", "Scheduler"},
    {"VZUINST.EXE", "Uninstall"},
};

// Sets the default value of the verb key under a file type or class.
void AddScanVerb(const char* typeName, const char* command) {
  char key[kVerbKeyCapacity];
  if (CopyText(key, typeName) && AppendText(key, kScanVerbKey))
    AddRegistryKeyWithDefVal(HKEY_CLASSES_ROOT, key, command);
}

}  // namespace

void InstallShellVerbs() {
  if (g_choices.ShellExtensions == 0) return;
  RemoveShellExtensions();

  char command[kPathCapacity];
  if (!CopyText(command, g_setup.installFolder) || !AppendText(command, kScanVerbCommand)) return;

  for (const char* className : kScannedClasses) AddScanVerb(className, command);

  for (const char* extension : kArchiveExtensions) {
    char type[kArchiveTypeCapacity] = "";
    bool named = IsRegistryKeyPresent(HKEY_CLASSES_ROOT, extension) &&
                 GetRegValue(HKEY_CLASSES_ROOT, extension, "", type, static_cast<int>(sizeof type)) &&
                 type[0] != '\0';
    if (!named) {
      CopyText(type, kDefaultArchiveType);
      AddRegistryKeyWithDefVal(HKEY_CLASSES_ROOT, extension, kDefaultArchiveType);
    }
    // A text with a key separator names no file type: it gets no verb, and is left as it is.
    if (!std::strpbrk(type, "|\\")) AddScanVerb(type, command);
  }
}

void BuildProgramGroup() {
  ProgmanDeleteGroup(kGroupName);
  ProgmanCreateGroup(kGroupName, nullptr);
  ProgmanShowGroup(kGroupName, kShowGroupCommand);
  for (const GroupItem& item : kGroupItems) {
    // A command line cut short would name another file: such an item is left out.
    char commandLine[kPathCapacity];
    if (CopyText(commandLine, g_setup.installFolder) && AppendText(commandLine, item.file))
      ProgmanAddItem(commandLine, item.title, nullptr, 0);
    ProgmanShowGroup(kGroupName, kShowGroupCommand);
  }
}

}  // namespace vz
