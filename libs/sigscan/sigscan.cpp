// SIGSCAN.dll: the signature scanning library. InitScan loads VZ.INX; each
// scan function matches one kind of signature against an open file and
// fills the caller's Index, with virusId -1 when it finds nothing.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <new>

#include "database.h"
#include "file_reader.h"
#include "matcher.h"

// The result record the callers pass (src/services/sigscan.h has the same).
struct Index {
  std::int16_t recordNumber;  // record of VZ.INX holding the virus's name
  std::int16_t virusId;       // -1: nothing found
};
static_assert(sizeof(Index) == 4);

namespace {

// The loaded signatures, from InitScan to EndScan.
std::unique_ptr<sigscan::Database> g_database;

using ScanFunction = sigscan::Finding (*)(const sigscan::Database&, sigscan::FileReader&);

// Every scan starts from "nothing found", reads through its own offsets and
// leaves the handle's position as it found it.
void Scan(HANDLE file, Index* index, ScanFunction scan) {
  if (!index) return;
  index->recordNumber = -1;
  index->virusId = -1;
  if (!g_database) return;
  try {
    sigscan::FileReader reader(file);
    if (!reader.Ok()) return;
    sigscan::Finding found = scan(*g_database, reader);
    index->recordNumber = found.record;
    index->virusId = found.virusId;
  } catch (...) {
    // Out of memory: reported as nothing found, never thrown to the caller.
    index->recordNumber = -1;
    index->virusId = -1;
  }
}

}  // namespace

extern "C" {

__declspec(dllexport) int InitScan(const char* indexPath) {
  g_database.reset();
  try {
    auto database = std::make_unique<sigscan::Database>();
    if (!sigscan::LoadDatabase(indexPath, *database)) return 0;
    g_database = std::move(database);
    return 1;
  } catch (...) {
    return 0;
  }
}

__declspec(dllexport) void ScanTopViruses(HANDLE file, Index* index) {
  Scan(file, index, [](const sigscan::Database& db, sigscan::FileReader& f) { return ScanAnchored(db, db.top, f); });
}

__declspec(dllexport) void ScanBottViruses(HANDLE file, Index* index) {
  Scan(file, index, [](const sigscan::Database& db, sigscan::FileReader& f) { return ScanAnchored(db, db.bottom, f); });
}

__declspec(dllexport) void ScanPolyViruses(HANDLE file, Index* index) {
  Scan(file, index, [](const sigscan::Database& db, sigscan::FileReader& f) { return ScanPoly(db, f); });
}

__declspec(dllexport) void ScanPEViruses(HANDLE file, Index* index) {
  Scan(file, index, [](const sigscan::Database& db, sigscan::FileReader& f) { return ScanAnchored(db, db.pe, f); });
}

__declspec(dllexport) void EndScan(void) { g_database.reset(); }

}  // extern "C"
