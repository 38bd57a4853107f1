// Registry.dll, the product's registry access library: the operations it
// exports. A key is a root (HKEY_CLASSES_ROOT, HKEY_CURRENT_USER,
// HKEY_LOCAL_MACHINE, HKEY_USERS, or any other predefined root) and a path
// whose components are separated by "|", e.g. "SOFTWARE|Orvanto|Velzor"
// ("\" is accepted as a separator too). All data are text.
//
// How the library behaves:
// - Texts are stored as REG_SZ, always with their terminator.
// - Reading: REG_SZ, REG_EXPAND_SZ (not expanded) and REG_MULTI_SZ (its first
//   string) are text; a value of any other type reads as absent.
// - A value longer than the buffer is cut to capacity - 1 characters and
//   terminated, and counts as read (result 1): the 8-byte read of a version
//   keeps its first 7 characters. Nothing is ever written beyond the capacity,
//   and on any failure the buffer is left exactly as it was.
// - AddRegistryValue replaces a value that exists already.
// - SetRegValue creates the key (and the keys above it) when missing. It
//   stores the text up to its terminator, but never more than `length`
//   characters: a caller may pass the text's length or the size of the buffer
//   holding it, and the stored value is the text in both cases.
// - DeleteRegistryKey removes the key with everything below it, as Windows 95
//   does; an empty key name deletes nothing.
// - Deleting a value or a key that does not exist is no error (result 1).
// - A key path longer than kKeyPathCapacity - 1 characters names no key: the
//   operation fails (result 0) rather than reach a cut, different key.
// - Results: 1 for success or present, 0 otherwise. A null text or value name
//   is taken as the empty text (the empty name is the key's default value).
#pragma once

#include <windows.h>

#define VZ_REGISTRY_API extern "C" __declspec(dllexport)

VZ_REGISTRY_API int AddRegistryValue(HKEY root, const char* keyPath, const char* valueName, const char* text);
VZ_REGISTRY_API int SetRegValue(HKEY root, const char* keyPath, const char* valueName, const char* text, int length);
VZ_REGISTRY_API int GetRegValue(HKEY root, const char* keyPath, const char* valueName, char* buffer, int capacity);
VZ_REGISTRY_API int IsRegistryValuePresent(HKEY root, const char* keyPath, const char* valueName);
VZ_REGISTRY_API int IsRegistryKeyPresent(HKEY root, const char* keyPath);
VZ_REGISTRY_API int DeleteRegistryValue(HKEY root, const char* keyPath, const char* valueName);
VZ_REGISTRY_API int DeleteRegistryKey(HKEY root, const char* parentPath, const char* keyName);
VZ_REGISTRY_API int AddRegistryKeyWithDefVal(HKEY root, const char* keyPath, const char* text);

namespace vzreg {
constexpr int kKeyPathCapacity = 1024;  // "|"-path turned into a registry path, terminator included
constexpr int kMaxKeyDepth = 64;        // levels below a deleted key that are removed
}  // namespace vzreg
