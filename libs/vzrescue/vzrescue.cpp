// VZRESCUE.DLL: writes Rescue and Emergency diskettes.
//
//   RescueCreate(letter, reserved, instance)       PART.INF, BOOT.INF, CMOS.INF: the
//                                                  rescue information of the system disk.
//                                                  1 when all three were written and read
//                                                  back; 0 otherwise (the user is told why).
//   CreateEmergencyDisk(letter, parent, instance)  the scanner, its library, the signature
//                                                  index, EMERGNCY.INF and README.TXT.
//                                                  1 when written; 0 otherwise (the user is
//                                                  told why, in a box owned by parent).
#include <windows.h>

#include <string>

#include "emergency.h"
#include "inf_text.h"
#include "rescue_files.h"

namespace {

HMODULE g_module = nullptr;
constexpr char kRescueCaption[] = "Rescue Diskette";
constexpr char kEmergencyCaption[] = "Emergency Diskette";

// This library's folder, ending with "\".
std::string LibraryFolder() {
  char path[MAX_PATH] = "";
  DWORD length = GetModuleFileNameA(g_module, path, sizeof path);
  if (length == 0 || length >= sizeof path) return {};
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

bool IsDriveLetter(char letter) { return (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z'); }

char Upper(char letter) { return (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 'a' + 'A') : letter; }

int WriteRescue(char letter) {
  std::string root = std::string(1, letter) + ":\\";
  struct Item {
    const char* name;
    std::string (*make)();
  };
  const Item items[] = {{"PART.INF", rescue::PartitionInformation},
                        {"BOOT.INF", rescue::BootInformation},
                        {"CMOS.INF", rescue::MachineSetup}};
  for (const Item& item : items) {
    if (rescue::WriteVerified(root + item.name, item.make())) continue;
    // No half rescue set: what was written of this one goes again.
    for (const Item& written : items) DeleteFileA((root + written.name).c_str());
    std::string text = "The rescue information could not be written to drive " + std::string(1, letter) +
                       ":.\n\nCheck that the diskette is formatted, not write-protected and has free space, "
                       "then try again.";
    MessageBoxA(nullptr, text.c_str(), kRescueCaption, MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  return 1;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = module;
    DisableThreadLibraryCalls(module);
  }
  return TRUE;
}

extern "C" __declspec(dllexport) int WINAPI RescueCreate(char driveLetter, int reserved, HINSTANCE instance) {
  try {
    if (!IsDriveLetter(driveLetter)) return 0;
    return WriteRescue(Upper(driveLetter));
  } catch (...) {
    return 0;
  }
}

extern "C" __declspec(dllexport) int WINAPI CreateEmergencyDisk(char driveLetter, HWND parent, HINSTANCE instance) {
  try {
    if (!IsDriveLetter(driveLetter)) return 0;
    std::string why;
    if (rescue::WriteEmergencyDiskette(LibraryFolder(), Upper(driveLetter), &why)) return 1;
    std::string text = "The Emergency diskette could not be made.\n\n" + why;
    MessageBoxA(parent, text.c_str(), kEmergencyCaption, MB_OK | MB_ICONEXCLAMATION);
    return 0;
  } catch (...) {
    return 0;
  }
}
