#include "product_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "machine.h"

namespace bench {

const std::vector<std::string>& InstalledProductFiles() {
  static const std::vector<std::string> files = {
      "VZ32.EXE",  "VZSTRUP.EXE", "VZSCHED.EXE", "TOOLBAR.EXE", "NEXOLT.EXE", "NEXOLT.SYS",   "NEXOLT.DRV",
      "VZUINST.EXE", "DOTBK.EXE", "VZRESCUE.DLL", "VZ32.CNF",  "VZ95.CNF",   "VZNT.CNF",     "VZ.INX",
      "VZFW.DOC",  "VZFW97.MAL",  "VZSET.HLP",   "SIGSCAN.dll", "Registry.dll", "misc.dll", "Filewrap.dll"};
  return files;
}

std::string MediaFile(const std::string& name) {
  auto bytes = ReadFileBytes(TestMachine::MediaFolder() + name);
  if (!bytes) ADD_FAILURE() << name << " is not on the setup media";
  return bytes.value_or("");
}

void CopyFromMedia(const std::string& folder, const std::vector<std::string>& names) {
  MakeFolders(folder);
  for (const auto& name : names) {
    std::string from = TestMachine::MediaFolder() + name, to = folder + name;
    SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) ADD_FAILURE() << "could not copy " << name << " from the setup media";
  }
}

}  // namespace bench
