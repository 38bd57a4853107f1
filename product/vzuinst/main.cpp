// VZUINST.EXE, Velzor's uninstaller: removes the product's files from its own
// folder and the product's records of this Windows installation.
//
// Run by the user, it asks first, closes the product's running programs, and
// says what it could not remove; its own file and the folder go at the next
// restart. Run by a setup that removes the previous version ("CalledFromInstall"
// set for the version being installed), it asks nothing, shows nothing, keeps
// its own file (the new version brings its own) and keeps what that setup has
// recorded for itself. The exit code is 0 when every file has gone, 1 when some
// file could not be removed, 2 when the user declined.
#include <windows.h>

#include <cstring>

#include "product_common.h"
#include "removal.h"

namespace {

constexpr char kCaption[] = "Velzor Uninstall";
constexpr const char* kProductWindows[] = {"VZTileWindow", "Velzor ToolBar", "VZ Scheduler"};
constexpr char kProtectionClass[] = "VelzorOnLineProtection";  // NEXOLT.EXE's hidden window
constexpr int kCloseWaitMs = 5000;
constexpr std::size_t kListCapacity = 1500;

// Asks the product's programs, the on-line protection among them, to close
// and waits a little for each to go.
void CloseProductPrograms() {
  HWND windows[4] = {FindWindowA(kProtectionClass, nullptr)};
  for (int i = 0; i < 3; ++i) windows[i + 1] = FindWindowA(nullptr, kProductWindows[i]);
  for (HWND window : windows) {
    if (!window) continue;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    DWORD_PTR ignored;
    SendMessageTimeoutA(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kCloseWaitMs, &ignored);
    if (process) {
      WaitForSingleObject(process, kCloseWaitMs);
      CloseHandle(process);
    }
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char folder[vzp::kPathCapacity];
  char self[vzp::kPathCapacity];
  if (!vzp::OwnFolder(folder) || !vzp::FileBeside(self, vzuinst::kUninstallerName)) return 1;
  bool fromSetup = vzuinst::IsCalledFromInstall();

  if (!fromSetup) {
    char question[vzp::kPathCapacity + 200] = "Velzor will be removed from this computer: its program files in\n";
    vz::AppendText(question, folder);
    vz::AppendText(question, "\nand its settings.\n\nDo you want to continue?");
    if (MessageBoxA(nullptr, question, kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return 2;
    CloseProductPrograms();
  }

  char notRemoved[kListCapacity];
  int failures = vzuinst::RemoveProductFiles(folder, notRemoved, sizeof notRemoved);
  vzuinst::RemoveProductRecords(fromSetup);
  if (fromSetup) return failures ? 1 : 0;

  vzuinst::RemoveAtRestart(self, folder);
  if (failures == 0) {
    MessageBoxA(nullptr, "Velzor has been removed from this computer.", kCaption, MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  char report[kListCapacity + 200] = "Velzor has been removed from this computer, except for these files, "
                                     "which are in use or protected:";
  vz::AppendText(report, notRemoved);
  vz::AppendText(report, "\n\nClose the programs using them, then delete them.");
  MessageBoxA(nullptr, report, kCaption, MB_OK | MB_ICONEXCLAMATION);
  return 1;
}
