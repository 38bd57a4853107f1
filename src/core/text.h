// Bounded text helpers for the fixed-size buffers the helper works with.
// Every operation keeps the terminator inside the capacity and says whether
// the whole text fitted; a text that does not fit is cut, never overflows.
#pragma once

#include <cstddef>

namespace vz {

// Copies src into dst (capacity cap, terminator included); cuts when needed.
// Returns true when the whole text fitted.
bool CopyText(char* dst, std::size_t cap, const char* src);

// Appends src to the text in dst; cuts when needed. True when it all fitted.
bool AppendText(char* dst, std::size_t cap, const char* src);

// Appends a backslash unless the text already ends with one. An empty text
// stays empty. True when the text ends with a backslash afterwards.
bool EnsureTrailingBackslash(char* dst, std::size_t cap);

// True when the text ends with a backslash.
bool EndsWithBackslash(const char* text);

// ASCII case changes in place.
void LowerText(char* text);
void UpperText(char* text);

// Replaces the path in place by its short (8.3) form when the system knows
// one that fits; otherwise leaves the text as it was.
void ShortenPathInPlace(char* path, std::size_t cap);

template <std::size_t N> bool CopyText(char (&dst)[N], const char* src) { return CopyText(dst, N, src); }
template <std::size_t N> bool AppendText(char (&dst)[N], const char* src) { return AppendText(dst, N, src); }
template <std::size_t N> bool EnsureTrailingBackslash(char (&dst)[N]) { return EnsureTrailingBackslash(dst, N); }
template <std::size_t N> void ShortenPathInPlace(char (&path)[N]) { ShortenPathInPlace(path, N); }

}  // namespace vz
