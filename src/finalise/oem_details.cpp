// The OEM details dialog: the OEM's contact details, stored in the OEM key and
// in section "OEM" of the per-OS INI.
#include <windows.h>

#include <cstddef>
#include <string>

#include "core/centre_dialog.h"
#include "core/records.h"
#include "core/setup_context.h"
#include "core/text.h"
#include "finalise/component_selection.h"
#include "resources/resource.h"
#include "services/registry.h"

namespace vz {

namespace {

constexpr char kOemSection[] = "OEM";

// Capacities of the reads, terminator included: longer entries are cut.
constexpr std::size_t kOemNameCapacity = 200;
constexpr std::size_t kOemEmailCapacity = 100;
constexpr std::size_t kOemFaxCapacity = 50;
constexpr std::size_t kOemPhoneCapacity = 50;
constexpr std::size_t kOemLongestCapacity = kOemNameCapacity;

struct OemField {
  int control;
  std::size_t capacity;
  const char* registryName;
  const char* iniKey;
};

// In the order they are written.
constexpr OemField kOemFields[] = {
    {IDC_OEM_NAME, kOemNameCapacity, "OEM Name", "Name"},
    {IDC_OEM_EMAIL, kOemEmailCapacity, "OEM Email", "Email"},
    {IDC_OEM_FAX, kOemFaxCapacity, "OEM Fax", "Fax"},
    {IDC_OEM_PHONE, kOemPhoneCapacity, "OEM Phone", "Phone"},
};

// Reads an edit field whole and cuts it to the field's capacity.
void ReadField(HWND dialog, const OemField& field, char* buffer) {
  HWND edit = GetDlgItem(dialog, field.control);
  int length = edit ? GetWindowTextLengthA(edit) : 0;
  std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
  if (edit) GetWindowTextA(edit, text.data(), static_cast<int>(text.size()));
  CopyText(buffer, field.capacity, text.c_str());
}

void StoreDetails(HWND dialog) {
  for (const OemField& field : kOemFields) {
    char value[kOemLongestCapacity];
    ReadField(dialog, field, value);
    AddRegistryValue(HKEY_CURRENT_USER, kOemKey, field.registryName, value);
    // Without a per-OS INI path there is no file of ours to write to.
    if (g_setup.perOsIniPath[0] != '\0')
      WritePrivateProfileStringA(kOemSection, field.iniKey, value, g_setup.perOsIniPath);
  }
}

}  // namespace

// No Cancel button and no close box: the dialog ends only through OK, and Esc
// or any other command does nothing.
INT_PTR CALLBACK OemDetailsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CentreDialog(dialog);
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        StoreDetails(dialog);
        EndDialog(dialog, 1);
      }
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace vz
