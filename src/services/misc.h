// misc.dll, the product's system services library, as the helper calls it.
#pragma once

#include <windows.h>

#include <cstdint>

extern "C" {

// 1 on Windows 95, 2 on Windows NT.
__declspec(dllimport) int GetOS(void);
// The folder of the running program, ending with "\".
__declspec(dllimport) int GetModuleDirectory(char* buffer, int capacity);
// Bit 1: the product is recorded on Windows 95; bit 2: on Windows NT.
__declspec(dllimport) int GetVZVersionsInstalled(void);
// Starts a program; nonzero when started. wait 1 returns after it has ended.
__declspec(dllimport) int ExecFile(const char* programPath, const char* parameters, int showCommand, int wait,
                                   int fifthFlag);
__declspec(dllimport) int IsAutoProtectLoaded(void);
__declspec(dllimport) int RemoveEntriesFromStartup(void);
__declspec(dllimport) int RestartWindows(void);
__declspec(dllimport) int RemoveShellExtensions(void);
__declspec(dllimport) int UpdateOSInfo(const char* cnfPath, int value);
// drive 0 = A:, 1 = B:; 1 when the drive is ready.
__declspec(dllimport) int MakeDriveReady(short drive);
__declspec(dllimport) int FileCopy(const char* source, const char* destination, int flag);
__declspec(dllimport) int SetDriverOptions(int options, const char* path, int length);
__declspec(dllimport) short CheckFileType(HANDLE file);
__declspec(dllimport) int32_t GetVirExeStart(HANDLE file, short fileType);

}  // extern "C"
