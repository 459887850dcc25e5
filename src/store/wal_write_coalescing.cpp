#include "store/wal_write_coalescing.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace norvane {
namespace {

constexpr int kFrameHeaderBytes = 24;
// Frames held beyond this (a transaction that spills many pages) are written out early.
constexpr std::size_t kMaxHeldBytes = 1 << 20;
constexpr std::size_t kMaxPieceBytes = 120 * 1024;

sqlite3_vfs* g_base = nullptr;
sqlite3_vfs g_vfs{};
sqlite3_io_methods g_methods[4]{};  // by the version of the file's own methods

struct File {
  sqlite3_file base;        // must come first: SQLite sees this
  sqlite3_file* real;       // SQLite's own file, right after this struct
  std::vector<char>* held;  // WAL only: bytes written and not yet handed to the kernel
  sqlite3_int64 heldOffset;
  bool commitFrameNext;  // the last write was the header of a commit frame
};

constexpr int kFileBytes = int((sizeof(File) + 7) / 8 * 8);

File* Of(sqlite3_file* file) {
  return reinterpret_cast<File*>(file);
}

const sqlite3_io_methods* Real(File* f) {
  return f->real->pMethods;
}

int WriteHeld(File* f) {
  if (!f->held || f->held->empty()) return SQLITE_OK;
  int rc = SQLITE_OK;
  // SQLite's own layer writes at most 128 KiB in one call (it drops the higher bits of a larger
  // length), so more goes in pieces.
  for (std::size_t done = 0; done < f->held->size() && rc == SQLITE_OK; done += kMaxPieceBytes) {
    const std::size_t piece = std::min(kMaxPieceBytes, f->held->size() - done);
    rc = Real(f)->xWrite(f->real, f->held->data() + done, int(piece),
                         f->heldOffset + sqlite3_int64(done));
  }
  f->held->clear();
  return rc;
}

int Close(sqlite3_file* file) {
  File* f = Of(file);
  const int written = WriteHeld(f);
  const int rc = Real(f)->xClose(f->real);
  delete f->held;
  f->held = nullptr;
  return written != SQLITE_OK ? written : rc;
}

int Read(sqlite3_file* file, void* out, int amount, sqlite3_int64 offset) {
  File* f = Of(file);
  if (const int rc = WriteHeld(f); rc != SQLITE_OK) return rc;
  return Real(f)->xRead(f->real, out, amount, offset);
}

int Write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
  File* f = Of(file);
  if (!f->held) return Real(f)->xWrite(f->real, data, amount, offset);
  if (!f->held->empty() && offset != f->heldOffset + sqlite3_int64(f->held->size())) {
    if (const int rc = WriteHeld(f); rc != SQLITE_OK) return rc;
  }
  if (f->held->empty()) f->heldOffset = offset;
  const char* bytes = static_cast<const char*>(data);
  f->held->insert(f->held->end(), bytes, bytes + amount);
  if (amount == kFrameHeaderBytes) {
    // Bytes 4 to 7 of a frame header: the database's size in pages after a commit, 0 in the
    // other frames of a transaction.
    f->commitFrameNext = std::memcmp(bytes + 4, "\0\0\0\0", 4) != 0;
    return SQLITE_OK;
  }
  const bool commitEnds = f->commitFrameNext;
  f->commitFrameNext = false;
  if (commitEnds || f->held->size() >= kMaxHeldBytes) return WriteHeld(f);
  return SQLITE_OK;
}

int Truncate(sqlite3_file* file, sqlite3_int64 size) {
  File* f = Of(file);
  if (const int rc = WriteHeld(f); rc != SQLITE_OK) return rc;
  return Real(f)->xTruncate(f->real, size);
}

int Sync(sqlite3_file* file, int flags) {
  File* f = Of(file);
  if (const int rc = WriteHeld(f); rc != SQLITE_OK) return rc;
  return Real(f)->xSync(f->real, flags);
}

int FileSize(sqlite3_file* file, sqlite3_int64* size) {
  File* f = Of(file);
  if (const int rc = WriteHeld(f); rc != SQLITE_OK) return rc;
  return Real(f)->xFileSize(f->real, size);
}

int Lock(sqlite3_file* file, int level) {
  return Real(Of(file))->xLock(Of(file)->real, level);
}

int Unlock(sqlite3_file* file, int level) {
  return Real(Of(file))->xUnlock(Of(file)->real, level);
}

int CheckReservedLock(sqlite3_file* file, int* out) {
  return Real(Of(file))->xCheckReservedLock(Of(file)->real, out);
}

int FileControl(sqlite3_file* file, int op, void* arg) {
  File* f = Of(file);
  if (const int rc = WriteHeld(f); rc != SQLITE_OK) return rc;
  return Real(f)->xFileControl(f->real, op, arg);
}

int SectorSize(sqlite3_file* file) {
  return Real(Of(file))->xSectorSize(Of(file)->real);
}

int DeviceCharacteristics(sqlite3_file* file) {
  return Real(Of(file))->xDeviceCharacteristics(Of(file)->real);
}

int ShmMap(sqlite3_file* file, int region, int size, int extend, void volatile** out) {
  return Real(Of(file))->xShmMap(Of(file)->real, region, size, extend, out);
}

int ShmLock(sqlite3_file* file, int offset, int n, int flags) {
  return Real(Of(file))->xShmLock(Of(file)->real, offset, n, flags);
}

void ShmBarrier(sqlite3_file* file) {
  Real(Of(file))->xShmBarrier(Of(file)->real);
}

int ShmUnmap(sqlite3_file* file, int deleteFlag) {
  return Real(Of(file))->xShmUnmap(Of(file)->real, deleteFlag);
}

int Fetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** out) {
  File* f = Of(file);
  if (const int rc = WriteHeld(f); rc != SQLITE_OK) return rc;
  return Real(f)->xFetch(f->real, offset, amount, out);
}

int Unfetch(sqlite3_file* file, sqlite3_int64 offset, void* page) {
  return Real(Of(file))->xUnfetch(Of(file)->real, offset, page);
}

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
  File* f = Of(file);
  f->real = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(file) + kFileBytes);
  f->held = nullptr;
  f->heldOffset = 0;
  f->commitFrameNext = false;
  file->pMethods = nullptr;
  const int rc = g_base->xOpen(g_base, name, f->real, flags, outFlags);
  if (rc != SQLITE_OK || !f->real->pMethods) {
    // SQLite closes a file whose open failed only through its methods, and there are none.
    if (f->real->pMethods) f->real->pMethods->xClose(f->real);
    return rc != SQLITE_OK ? rc : SQLITE_CANTOPEN;
  }
  const int version = std::clamp(f->real->pMethods->iVersion, 1, 3);
  if (flags & SQLITE_OPEN_WAL) f->held = new std::vector<char>();
  file->pMethods = &g_methods[version];
  return SQLITE_OK;
}

// The rest of the layer is SQLite's own, called with its own object.
int Delete(sqlite3_vfs*, const char* name, int syncDir) {
  return g_base->xDelete(g_base, name, syncDir);
}
int Access(sqlite3_vfs*, const char* name, int flags, int* out) {
  return g_base->xAccess(g_base, name, flags, out);
}
int FullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
  return g_base->xFullPathname(g_base, name, size, out);
}
void* DlOpen(sqlite3_vfs*, const char* name) {
  return g_base->xDlOpen(g_base, name);
}
void DlError(sqlite3_vfs*, int size, char* out) {
  g_base->xDlError(g_base, size, out);
}
void (*DlSym(sqlite3_vfs*, void* handle, const char* symbol))() {
  return g_base->xDlSym(g_base, handle, symbol);
}
void DlClose(sqlite3_vfs*, void* handle) {
  g_base->xDlClose(g_base, handle);
}
int Randomness(sqlite3_vfs*, int size, char* out) {
  return g_base->xRandomness(g_base, size, out);
}
int Sleep(sqlite3_vfs*, int microseconds) {
  return g_base->xSleep(g_base, microseconds);
}
int CurrentTime(sqlite3_vfs*, double* out) {
  return g_base->xCurrentTime(g_base, out);
}
int GetLastError(sqlite3_vfs*, int size, char* out) {
  return g_base->xGetLastError ? g_base->xGetLastError(g_base, size, out) : 0;
}
int CurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* out) {
  return g_base->xCurrentTimeInt64(g_base, out);
}
int SetSystemCall(sqlite3_vfs*, const char* name, sqlite3_syscall_ptr call) {
  return g_base->xSetSystemCall(g_base, name, call);
}
sqlite3_syscall_ptr GetSystemCall(sqlite3_vfs*, const char* name) {
  return g_base->xGetSystemCall(g_base, name);
}
const char* NextSystemCall(sqlite3_vfs*, const char* name) {
  return g_base->xNextSystemCall(g_base, name);
}

bool Install() {
  if (sqlite3_initialize() != SQLITE_OK) return false;
  g_base = sqlite3_vfs_find(nullptr);
  // Only over a layer of the current interface, which every SQLite of the last decade has.
  if (!g_base || g_base->iVersion < 3) return false;
  for (int version = 1; version <= 3; ++version) {
    sqlite3_io_methods& m = g_methods[version];
    m.iVersion = version;
    m.xClose = Close;
    m.xRead = Read;
    m.xWrite = Write;
    m.xTruncate = Truncate;
    m.xSync = Sync;
    m.xFileSize = FileSize;
    m.xLock = Lock;
    m.xUnlock = Unlock;
    m.xCheckReservedLock = CheckReservedLock;
    m.xFileControl = FileControl;
    m.xSectorSize = SectorSize;
    m.xDeviceCharacteristics = DeviceCharacteristics;
    if (version >= 2) {
      m.xShmMap = ShmMap;
      m.xShmLock = ShmLock;
      m.xShmBarrier = ShmBarrier;
      m.xShmUnmap = ShmUnmap;
    }
    if (version >= 3) {
      m.xFetch = Fetch;
      m.xUnfetch = Unfetch;
    }
  }
  g_vfs.iVersion = 3;
  g_vfs.szOsFile = kFileBytes + g_base->szOsFile;
  g_vfs.mxPathname = g_base->mxPathname;
  g_vfs.zName = "norvane-wal-coalescing";
  g_vfs.xOpen = Open;
  g_vfs.xDelete = Delete;
  g_vfs.xAccess = Access;
  g_vfs.xFullPathname = FullPathname;
  g_vfs.xDlOpen = DlOpen;
  g_vfs.xDlError = DlError;
  g_vfs.xDlSym = DlSym;
  g_vfs.xDlClose = DlClose;
  g_vfs.xRandomness = Randomness;
  g_vfs.xSleep = Sleep;
  g_vfs.xCurrentTime = CurrentTime;
  g_vfs.xGetLastError = GetLastError;
  g_vfs.xCurrentTimeInt64 = CurrentTimeInt64;
  g_vfs.xSetSystemCall = SetSystemCall;
  g_vfs.xGetSystemCall = GetSystemCall;
  g_vfs.xNextSystemCall = NextSystemCall;
  return sqlite3_vfs_register(&g_vfs, 1) == SQLITE_OK;
}

}  // namespace

bool InstallWalWriteCoalescing() {
  static const bool installed = Install();
  return installed;
}

}  // namespace norvane
