// The binaries on the setup media import only DLLs that every Windows 95 and
// NT system has, and the product's own libraries, which lie beside them.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "machine.h"

namespace {

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(toupper(c)); });
  return text;
}

// The names of the DLLs a program or library imports, from its import table.
std::vector<std::string> ImportedDlls(const std::string& path) {
  std::vector<std::string> names;
  HMODULE image = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!image) {
    ADD_FAILURE() << "cannot map " << path;
    return names;
  }
  auto base = reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(image) & ~static_cast<ULONG_PTR>(3));
  auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (dir.VirtualAddress)
    for (auto d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d)
      names.push_back(Upper(reinterpret_cast<const char*>(base + d->Name)));
  FreeLibrary(image);
  return names;
}

TEST(Imports, OnlySystemAndProductLibraries) {
  const std::set<std::string> system = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "ADVAPI32.DLL", "SHELL32.DLL",
                                        "COMDLG32.DLL", "COMCTL32.DLL", "MSVCRT.DLL", "VERSION.DLL"};
  const std::set<std::string> product = {"REGISTRY.DLL", "MISC.DLL", "FILEWRAP.DLL", "SIGSCAN.DLL"};
  std::string media = bench::TestMachine::MediaFolder();
  for (const char* file : {"vzset.exe", "Registry.dll", "misc.dll", "Filewrap.dll", "NEXOLT.EXE"}) {
    ASSERT_TRUE(bench::FileExists(media + file)) << file << " is not on the media";
    for (const auto& dll : ImportedDlls(media + file)) {
      EXPECT_TRUE(system.count(dll) || product.count(dll)) << file << " imports " << dll;
      if (product.count(dll)) {
        std::string beside = media + dll;
        EXPECT_TRUE(bench::FileExists(beside)) << file << " needs " << dll << " beside it";
      }
    }
  }
  // The table is really read: misc.dll reaches the registry through Registry.dll.
  auto misc = ImportedDlls(media + "misc.dll");
  EXPECT_NE(std::find(misc.begin(), misc.end(), "REGISTRY.DLL"), misc.end());
}

}  // namespace
