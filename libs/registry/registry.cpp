// The registry access library's operations on the real Windows registry.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "registry_dll.h"
#include "registry_paths.h"

using vzreg::ConvertPath;
using vzreg::KeyPath;

namespace {

const char* OrEmpty(const char* text) { return text ? text : ""; }

// Opens an existing key; null when it does not exist or cannot be opened.
HKEY OpenKey(HKEY root, const char* path, REGSAM access) {
  KeyPath key = ConvertPath(path);
  HKEY handle = nullptr;
  if (!key.ok || RegOpenKeyExA(root, key.text, 0, access, &handle) != ERROR_SUCCESS) return nullptr;
  return handle;
}

// Opens a key, creating it and the missing keys above it.
HKEY CreateKey(HKEY root, const char* path) {
  KeyPath key = ConvertPath(path);
  HKEY handle = nullptr;
  if (!key.ok || RegCreateKeyExA(root, key.text, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                                 &handle, nullptr) != ERROR_SUCCESS)
    return nullptr;
  return handle;
}

// Stores `length` characters of `text` as a terminated REG_SZ value.
int StoreText(HKEY root, const char* path, const char* name, const char* text, size_t length) {
  HKEY key = CreateKey(root, path);
  if (!key) return 0;
  // The stored data always carry their terminator: copy when the text is cut.
  const char* data = text;
  char* copy = nullptr;
  if (text[length] != '\0') {
    copy = static_cast<char*>(std::malloc(length + 1));
    if (!copy) {
      RegCloseKey(key);
      return 0;
    }
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    data = copy;
  }
  LONG rc = RegSetValueExA(key, OrEmpty(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                           static_cast<DWORD>(length + 1));
  std::free(copy);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

bool IsTextType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Reads a text value whole into a scratch buffer of its own size; the caller
// frees it. Null when the value is absent, not text, or cannot be read.
char* ReadWholeText(HKEY key, const char* name, DWORD* dataSize) {
  for (int attempt = 0; attempt < 4; ++attempt) {  // the value may change between the two queries
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || !IsTextType(type))
      return nullptr;
    char* data = static_cast<char*>(std::malloc(size + 1));
    if (!data) return nullptr;
    DWORD got = size;
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &got);
    if (rc == ERROR_SUCCESS && IsTextType(type) && got <= size) {
      data[got] = '\0';  // data stored without a terminator still end here
      *dataSize = got;
      return data;
    }
    std::free(data);
    if (rc != ERROR_MORE_DATA) return nullptr;
  }
  return nullptr;
}

// Removes a key and everything below it, deepest keys first.
bool DeleteTree(HKEY parent, const char* name, int depth) {
  HKEY key = nullptr;
  LONG rc = RegOpenKeyExA(parent, name, 0, KEY_READ | KEY_WRITE, &key);
  if (rc == ERROR_FILE_NOT_FOUND) return true;
  if (rc != ERROR_SUCCESS) return false;
  bool ok = depth < vzreg::kMaxKeyDepth;
  DWORD skipped = 0;  // subkeys that could not be removed stay at the front
  while (ok) {
    char child[256];  // registry key names are at most 255 characters
    DWORD len = sizeof child;
    LONG e = RegEnumKeyExA(key, skipped, child, &len, nullptr, nullptr, nullptr, nullptr);
    if (e == ERROR_NO_MORE_ITEMS) break;
    if (e != ERROR_SUCCESS || !DeleteTree(key, child, depth + 1)) {
      ok = false;
      break;
    }
  }
  RegCloseKey(key);
  if (!ok) return false;
  rc = RegDeleteKeyA(parent, name);
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

}  // namespace

int AddRegistryValue(HKEY root, const char* keyPath, const char* valueName, const char* text) {
  text = OrEmpty(text);
  return StoreText(root, keyPath, valueName, text, std::strlen(text));
}

int SetRegValue(HKEY root, const char* keyPath, const char* valueName, const char* text, int length) {
  text = OrEmpty(text);
  size_t limit = length > 0 ? static_cast<size_t>(length) : 0;
  return StoreText(root, keyPath, valueName, text, strnlen(text, limit));
}

int GetRegValue(HKEY root, const char* keyPath, const char* valueName, char* buffer, int capacity) {
  if (!buffer || capacity <= 0) return 0;
  HKEY key = OpenKey(root, keyPath, KEY_QUERY_VALUE);
  if (!key) return 0;
  DWORD size = 0;
  char* data = ReadWholeText(key, OrEmpty(valueName), &size);
  RegCloseKey(key);
  if (!data) return 0;
  size_t len = strnlen(data, size);
  size_t keep = len < static_cast<size_t>(capacity) ? len : static_cast<size_t>(capacity) - 1;  // cut to fit
  std::memcpy(buffer, data, keep);
  buffer[keep] = '\0';
  std::free(data);
  return 1;
}

int IsRegistryValuePresent(HKEY root, const char* keyPath, const char* valueName) {
  HKEY key = OpenKey(root, keyPath, KEY_QUERY_VALUE);
  if (!key) return 0;
  LONG rc = RegQueryValueExA(key, OrEmpty(valueName), nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

int IsRegistryKeyPresent(HKEY root, const char* keyPath) {
  HKEY key = OpenKey(root, keyPath, KEY_QUERY_VALUE);
  if (!key) return 0;
  RegCloseKey(key);
  return 1;
}

int DeleteRegistryValue(HKEY root, const char* keyPath, const char* valueName) {
  KeyPath path = ConvertPath(keyPath);
  if (!path.ok) return 0;
  HKEY key = nullptr;
  LONG rc = RegOpenKeyExA(root, path.text, 0, KEY_SET_VALUE, &key);
  if (rc == ERROR_FILE_NOT_FOUND) return 1;  // no key, so no value
  if (rc != ERROR_SUCCESS) return 0;
  rc = RegDeleteValueA(key, OrEmpty(valueName));
  RegCloseKey(key);
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

int DeleteRegistryKey(HKEY root, const char* parentPath, const char* keyName) {
  KeyPath name = ConvertPath(keyName);
  if (!name.ok || name.text[0] == '\0' || name.text[0] == '\\') return 0;  // never the parent itself
  KeyPath parentText = ConvertPath(parentPath);
  if (!parentText.ok) return 0;
  HKEY parent = nullptr;
  LONG rc = RegOpenKeyExA(root, parentText.text, 0, KEY_READ | KEY_WRITE, &parent);
  if (rc == ERROR_FILE_NOT_FOUND) return 1;  // no parent, so no key
  if (rc != ERROR_SUCCESS) return 0;
  bool ok = DeleteTree(parent, name.text, 0);
  RegCloseKey(parent);
  return ok;
}

int AddRegistryKeyWithDefVal(HKEY root, const char* keyPath, const char* text) {
  text = OrEmpty(text);
  return StoreText(root, keyPath, "", text, std::strlen(text));
}
