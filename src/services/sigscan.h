// SIGSCAN.dll, the product's signature scanning library, as the helper calls it.
#pragma once

#include <windows.h>

#include <cstdint>

extern "C" {

// The result record of a scan (4 bytes).
struct Index {
  int16_t recordNumber;  // record of VZ.INX holding the virus's name
  int16_t virusId;       // -1: nothing found
};
static_assert(sizeof(Index) == 4);

// Loads the signature index; 1 when ready.
__declspec(dllimport) int InitScan(const char* indexPath);
__declspec(dllimport) void ScanTopViruses(HANDLE file, Index* index);
__declspec(dllimport) void ScanBottViruses(HANDLE file, Index* index);
__declspec(dllimport) void ScanPolyViruses(HANDLE file, Index* index);
__declspec(dllimport) void ScanPEViruses(HANDLE file, Index* index);
__declspec(dllimport) void EndScan(void);

}  // extern "C"
