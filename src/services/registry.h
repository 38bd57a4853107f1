// Registry.dll, the product's registry access library, as the helper calls it.
// A key is a root and a path whose components are separated by "|", e.g.
// "SOFTWARE|Orvanto|Velzor". All data are text.
#pragma once

#include <windows.h>

extern "C" {

// Creates the missing keys of the path and stores the text.
__declspec(dllimport) int AddRegistryValue(HKEY root, const char* keyPath, const char* valueName, const char* text);
// Stores the text; length is the text's length or the capacity of the buffer holding it.
__declspec(dllimport) int SetRegValue(HKEY root, const char* keyPath, const char* valueName, const char* text, int length);
// 1 when the value was read into the buffer; never writes beyond capacity and
// leaves the buffer as it was on failure. An empty name reads the default value.
__declspec(dllimport) int GetRegValue(HKEY root, const char* keyPath, const char* valueName, char* buffer, int capacity);
__declspec(dllimport) int IsRegistryValuePresent(HKEY root, const char* keyPath, const char* valueName);
__declspec(dllimport) int IsRegistryKeyPresent(HKEY root, const char* keyPath);
__declspec(dllimport) int DeleteRegistryValue(HKEY root, const char* keyPath, const char* valueName);
__declspec(dllimport) int DeleteRegistryKey(HKEY root, const char* parentPath, const char* keyName);
// Creates the key and the missing keys above it and sets its default value.
__declspec(dllimport) int AddRegistryKeyWithDefVal(HKEY root, const char* keyPath, const char* text);

}  // extern "C"
