// The scan progress dialog: memory, master boot record and system files, one
// stage after the other, each started by a message the dialog posts to
// itself so that the dialog is on the screen before the stage blocks it.
#include "prescan/scan_dialog.h"

#include <initializer_list>

#include "core/centre_dialog.h"
#include "core/outer_setup.h"
#include "core/records.h"
#include "core/setup_context.h"
#include "prescan/system_scan.h"
#include "resources/resource.h"
#include "services/misc.h"
#include "services/registry.h"
#include "services/sigscan.h"

namespace vz {

namespace {

constexpr UINT kStageMessage = WM_USER;
constexpr WPARAM kStageMemory = 1;
constexpr WPARAM kStageBootRecord = 2;
constexpr WPARAM kStageSystemFiles = 3;
constexpr DWORD kBootRecordStageMs = 1500;
constexpr char kVirusFoundValue[] = "VirusFoundDuringInstall";

// The memory scan library's entry: 0 when setup may go on.
using MemoryScanFunction = short (*)(int);

void SetStageIcons(HWND dialog, HICON memory, HICON bootRecord, HICON systemFiles) {
  SendDlgItemMessageA(dialog, IDC_STAGE_MEMORY, STM_SETICON, reinterpret_cast<WPARAM>(memory), 0);
  SendDlgItemMessageA(dialog, IDC_STAGE_BOOT_RECORD, STM_SETICON, reinterpret_cast<WPARAM>(bootRecord), 0);
  SendDlgItemMessageA(dialog, IDC_STAGE_SYSTEM_FILES, STM_SETICON, reinterpret_cast<WPARAM>(systemFiles), 0);
  // On the screen before the stage's work blocks the thread.
  InvalidateRect(dialog, nullptr, FALSE);
  UpdateWindow(dialog);
}

// 1 to go on, 0 to abandon the installation. The library stays loaded.
int RunMemoryScan() {
  HMODULE library = LoadLibraryA("VZMSI32.DLL");
  if (!library) {
    MessageBoxA(GetActiveWindow(), "Couldnot load VZMSI32.DLL.\nAborting...", "Error", MB_OK);
    return 0;
  }
  auto scan = reinterpret_cast<MemoryScanFunction>(GetProcAddress(library, "InitiateMemoryScan"));
  if (!scan) {
    MessageBoxA(GetActiveWindow(), "VZMSI32.DLL is corrupt.\nCannot proceed...", "Error", MB_OK);
    return 0;
  }
  return static_cast<short>(scan(0)) == 0 ? 1 : 0;
}

// The stage icons' rectangles overlap: each lies over the lower, empty part
// of the one before. Stacked with the later stage on top, and clipped by
// their siblings, they show whole whatever order they are painted in.
void StackStageIcons(HWND dialog) {
  for (int id : {IDC_STAGE_MEMORY, IDC_STAGE_BOOT_RECORD, IDC_STAGE_SYSTEM_FILES})
    SetWindowPos(GetDlgItem(dialog, id), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void InitScanDialog(HWND dialog) {
  g_scanDialog = dialog;
  CentreDialog(dialog);
  FillVirusNameTables();
  g_stageIcons.running = LoadIconA(g_setup.instance, MAKEINTRESOURCEA(IDI_STAGE_RUNNING));
  g_stageIcons.done = LoadIconA(g_setup.instance, MAKEINTRESOURCEA(IDI_STAGE_DONE));
  g_stageIcons.waiting = LoadIconA(g_setup.instance, MAKEINTRESOURCEA(IDI_STAGE_WAITING));
  StackStageIcons(dialog);
}

void ScanMemoryStage(HWND dialog) {
  if (GetOS() == 1) {  // Windows 95 only
    SetStageIcons(dialog, g_stageIcons.running, g_stageIcons.waiting, g_stageIcons.waiting);
    if (!RunMemoryScan()) {
      // Abandoned: no later stage runs.
      EndDialog(dialog, 1);
      CloseOuterSetup();
      return;
    }
  }
  PostMessageA(dialog, kStageMessage, kStageBootRecord, 0);
}

void ScanBootRecordStage(HWND dialog) {
  SetStageIcons(dialog, g_stageIcons.done, g_stageIcons.running, g_stageIcons.waiting);
  Sleep(kBootRecordStageMs);
  PostMessageA(dialog, kStageMessage, kStageSystemFiles, 0);
}

void ScanSystemFilesStage(HWND dialog) {
  ShowWindow(GetDlgItem(dialog, IDC_CURRENT_FILE), SW_SHOW);
  SetStageIcons(dialog, g_stageIcons.done, g_stageIcons.done, g_stageIcons.running);
  char indexPath[kPathCapacity];
  if (IndexPath(indexPath) && InitScan(indexPath) == 1) {
    if (ScanSystemFiles() == 1)
      AddRegistryValue(HKEY_CURRENT_USER, kUserProductKey, kVirusFoundValue, "1");
    else
      DeleteRegistryValue(HKEY_CURRENT_USER, kUserProductKey, kVirusFoundValue);
    EndScan();
  }
  EndDialog(dialog, 1);
}

}  // namespace

INT_PTR CALLBACK ScanProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitScanDialog(dialog);
      return 0;  // no control gets the focus
    case WM_PAINT:
      if (g_firstPaint) {
        g_firstPaint = 0;
        PostMessageA(dialog, kStageMessage, kStageMemory, 0);
      }
      return 0;  // painted as usual
    case kStageMessage:
      if (wParam == kStageMemory) ScanMemoryStage(dialog);
      else if (wParam == kStageBootRecord) ScanBootRecordStage(dialog);
      else if (wParam == kStageSystemFiles) ScanSystemFilesStage(dialog);
      return 0;
    default:
      return 0;
  }
}

}  // namespace vz
