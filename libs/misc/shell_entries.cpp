// RemoveShellExtensions: the product's "Velzor Scan" verb leaves the shell.
#include <windows.h>

#include <cstring>
#include <initializer_list>

#include "core/text.h"
#include "misc_dll.h"
#include "services/registry.h"

namespace {

constexpr char kVerbKey[] = "Velzor Scan";
constexpr char kOwnArchiveType[] = "vzcomp";
constexpr int kTypeReadCapacity = 14;   // how much of an archive type name the installer reads
constexpr int kTypeCapacity = 260;

// Deletes "<type>|shell|Velzor Scan" with its command key.
void RemoveVerb(const char* type) {
  if (!type[0]) return;
  char shellKey[kTypeCapacity + 8];
  vz::CopyText(shellKey, type);
  if (!vz::AppendText(shellKey, "|shell")) return;
  DeleteRegistryKey(HKEY_CLASSES_ROOT, shellKey, kVerbKey);
}

}  // namespace

int RemoveShellExtensions(void) {
  for (const char* type : {"comfile", "exefile", "Drive", "Directory", kOwnArchiveType}) RemoveVerb(type);
  for (const char* extension : {".ARJ", ".ZIP"}) {
    char type[kTypeCapacity] = "";
    if (!GetRegValue(HKEY_CLASSES_ROOT, extension, "", type, sizeof type)) continue;
    if (std::strchr(type, '|') || std::strchr(type, '\\')) continue;  // a type name, never a path
    RemoveVerb(type);
    if (std::strlen(type) >= kTypeReadCapacity) {
      type[kTypeReadCapacity - 1] = '\0';
      RemoveVerb(type);
    }
  }
  return 1;
}
