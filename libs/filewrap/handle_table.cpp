#include "handle_table.h"

#include "filewrap_dll.h"

namespace vzfile {

namespace {

struct Entry {
  HANDLE file;
  HandleMode mode;
};

Entry g_entries[kMaxOpenFiles];
CRITICAL_SECTION g_lock;

struct Lock {
  Lock() { EnterCriticalSection(&g_lock); }
  ~Lock() { LeaveCriticalSection(&g_lock); }
};

Entry* Find(HANDLE file) {
  for (Entry& e : g_entries)
    if (e.file == file) return &e;
  return nullptr;
}

}  // namespace

bool RememberHandle(HANDLE file, HandleMode mode) {
  Lock lock;
  // A handle value closed behind the library's back may come again: reuse its entry.
  Entry* entry = Find(file);
  if (!entry) entry = Find(nullptr);
  if (!entry) return false;
  entry->file = file;
  entry->mode = mode;
  return true;
}

HandleMode ModeOf(HANDLE file) {
  Lock lock;
  Entry* entry = Find(file);
  return entry ? entry->mode : HandleMode{};
}

void ForgetHandle(HANDLE file) {
  Lock lock;
  if (Entry* entry = Find(file)) *entry = Entry{};
}

}  // namespace vzfile

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) InitializeCriticalSection(&vzfile::g_lock);
  return TRUE;
}
