// The bytes the component configuration files hold: the start-up record of
// VZ95.CNF / VZNT.CNF and the signature dates of VZ32.CNF.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "finalise/component_choices.h"

namespace vz {

constexpr std::size_t kStartupRecordSize = 6;
constexpr int32_t kSignatureDateOffset = 12;
constexpr int32_t kSignatureExpiryOffset = 16;
constexpr int32_t kSignatureLifetimeSeconds = 150 * 86400;

// Toolbar, Scheduler, OnlineProtection: each its low 16 bits, little-endian.
std::array<unsigned char, kStartupRecordSize> StartupRecord(const ComponentChoices& choices);

// A file time as seconds since 1 January 1970 00:00 UTC, in 32 bits.
int32_t SecondsSince1970(const FILETIME& time);

// The signature date plus 150 days, wrapping as the 32-bit field does.
int32_t SignatureExpiry(int32_t signatureDate);

std::array<unsigned char, 4> LittleEndian32(int32_t value);

}  // namespace vz
