#include "support/FaultVfs.h"

#include <QByteArray>
#include <QHash>
#include <QSet>

#include <cstring>
#include <sqlite3.h>
#include <unistd.h>

namespace FaultVfs {

namespace {

sqlite3_vfs *real = nullptr;
sqlite3_vfs vfs;
Fault armedFault = Fault::None;
int armedStep = 0;
int counted = 0;
bool counting = false;
bool hasStruck = false;

struct FaultFile
{
    sqlite3_file base;
    sqlite3_file *real; // follows this struct in the same allocation
    QByteArray *path;
};

// What each file held at its last sync, taken before its first unsynced write: a power cut
// puts it back. Files deleted since are left deleted.
QHash<QString, QByteArray> durableImages;
QHash<QString, FaultFile *> openFiles;

QByteArray readAll(sqlite3_file *file)
{
    sqlite3_int64 size = 0;
    file->pMethods->xFileSize(file, &size);
    QByteArray bytes(qsizetype(size), '\0');
    if (size > 0)
        file->pMethods->xRead(file, bytes.data(), int(size), 0);
    return bytes;
}

void powerCut()
{
    for (auto it = durableImages.cbegin(); it != durableImages.cend(); ++it) {
        FaultFile *open = openFiles.value(it.key());
        if (!open)
            continue;
        sqlite3_file *f = open->real;
        f->pMethods->xTruncate(f, it.value().size());
        if (!it.value().isEmpty())
            f->pMethods->xWrite(f, it.value().constData(), int(it.value().size()), 0);
    }
}

enum class Step { Write, Sync, Truncate, Delete };

// Counts a step; returns the error code the step fails with, or SQLITE_OK to perform it. Does
// not return when the fault ends the process.
int step(Step kind)
{
    if (!counting)
        return SQLITE_OK;
    ++counted;
    if (armedFault == Fault::DiskFull && hasStruck && kind == Step::Write)
        return SQLITE_FULL;
    if (armedFault == Fault::None || counted != armedStep)
        return SQLITE_OK;
    hasStruck = true;
    switch (armedFault) {
    case Fault::Kill:
        _exit(CrashExitStatus);
    case Fault::PowerCut:
        powerCut();
        _exit(CrashExitStatus);
    case Fault::IoError:
        switch (kind) {
        case Step::Write:
            return SQLITE_IOERR_WRITE;
        case Step::Sync:
            return SQLITE_IOERR_FSYNC;
        case Step::Truncate:
            return SQLITE_IOERR_TRUNCATE;
        case Step::Delete:
            return SQLITE_IOERR_DELETE;
        }
        break;
    case Fault::DiskFull:
        return kind == Step::Write ? SQLITE_FULL : SQLITE_OK;
    case Fault::None:
        break;
    }
    return SQLITE_OK;
}

FaultFile *faultFile(sqlite3_file *file)
{
    return reinterpret_cast<FaultFile *>(file);
}

void keepDurableImage(FaultFile *f)
{
    if (counting && f->path && !durableImages.contains(QString::fromUtf8(*f->path)))
        durableImages.insert(QString::fromUtf8(*f->path), readAll(f->real));
}

int fileClose(sqlite3_file *file)
{
    FaultFile *f = faultFile(file);
    if (f->path)
        openFiles.remove(QString::fromUtf8(*f->path));
    delete f->path;
    return f->real->pMethods->xClose(f->real);
}

int fileRead(sqlite3_file *file, void *buffer, int amount, sqlite3_int64 offset)
{
    sqlite3_file *r = faultFile(file)->real;
    return r->pMethods->xRead(r, buffer, amount, offset);
}

int fileWrite(sqlite3_file *file, const void *buffer, int amount, sqlite3_int64 offset)
{
    FaultFile *f = faultFile(file);
    keepDurableImage(f);
    if (const int rc = step(Step::Write); rc != SQLITE_OK)
        return rc;
    return f->real->pMethods->xWrite(f->real, buffer, amount, offset);
}

int fileTruncate(sqlite3_file *file, sqlite3_int64 size)
{
    FaultFile *f = faultFile(file);
    keepDurableImage(f);
    if (const int rc = step(Step::Truncate); rc != SQLITE_OK)
        return rc;
    return f->real->pMethods->xTruncate(f->real, size);
}

// The disk is simulated: what a sync makes durable is what a power cut keeps, so the real
// sync, which only makes a test slow, is left out.
int fileSync(sqlite3_file *file, int)
{
    FaultFile *f = faultFile(file);
    if (const int rc = step(Step::Sync); rc != SQLITE_OK)
        return rc;
    if (counting && f->path)
        durableImages.insert(QString::fromUtf8(*f->path), readAll(f->real));
    return SQLITE_OK;
}

int fileSize(sqlite3_file *file, sqlite3_int64 *size)
{
    sqlite3_file *r = faultFile(file)->real;
    return r->pMethods->xFileSize(r, size);
}

int fileLock(sqlite3_file *file, int lock)
{
    sqlite3_file *r = faultFile(file)->real;
    return r->pMethods->xLock(r, lock);
}

int fileUnlock(sqlite3_file *file, int lock)
{
    sqlite3_file *r = faultFile(file)->real;
    return r->pMethods->xUnlock(r, lock);
}

int fileCheckReservedLock(sqlite3_file *file, int *result)
{
    sqlite3_file *r = faultFile(file)->real;
    return r->pMethods->xCheckReservedLock(r, result);
}

int fileControl(sqlite3_file *file, int op, void *arg)
{
    sqlite3_file *r = faultFile(file)->real;
    return r->pMethods->xFileControl(r, op, arg);
}

int fileSectorSize(sqlite3_file *file)
{
    sqlite3_file *r = faultFile(file)->real;
    return r->pMethods->xSectorSize(r);
}

int fileDeviceCharacteristics(sqlite3_file *file)
{
    sqlite3_file *r = faultFile(file)->real;
    return r->pMethods->xDeviceCharacteristics(r);
}

// Version 1: no shared memory and no memory mapping, which rollback journals do not need.
const sqlite3_io_methods ioMethods = {1,
                                      fileClose,
                                      fileRead,
                                      fileWrite,
                                      fileTruncate,
                                      fileSync,
                                      fileSize,
                                      fileLock,
                                      fileUnlock,
                                      fileCheckReservedLock,
                                      fileControl,
                                      fileSectorSize,
                                      fileDeviceCharacteristics,
                                      nullptr,
                                      nullptr,
                                      nullptr,
                                      nullptr,
                                      nullptr,
                                      nullptr};

int vfsOpen(sqlite3_vfs *, sqlite3_filename name, sqlite3_file *file, int flags, int *outFlags)
{
    auto *f = reinterpret_cast<FaultFile *>(file);
    f->real = reinterpret_cast<sqlite3_file *>(f + 1);
    f->path = nullptr;
    const int rc = real->xOpen(real, name, f->real, flags, outFlags);
    if (rc != SQLITE_OK) {
        f->base.pMethods = nullptr;
        return rc;
    }
    if (name) {
        f->path = new QByteArray(name);
        openFiles.insert(QString::fromUtf8(*f->path), f);
    }
    f->base.pMethods = &ioMethods;
    return SQLITE_OK;
}

int vfsDelete(sqlite3_vfs *, const char *name, int)
{
    if (const int rc = step(Step::Delete); rc != SQLITE_OK)
        return rc;
    durableImages.remove(QString::fromUtf8(name));
    return real->xDelete(real, name, 0);
}

int vfsAccess(sqlite3_vfs *, const char *name, int flags, int *result)
{
    return real->xAccess(real, name, flags, result);
}

int vfsFullPathname(sqlite3_vfs *, const char *name, int size, char *out)
{
    return real->xFullPathname(real, name, size, out);
}

void *vfsDlOpen(sqlite3_vfs *, const char *name)
{
    return real->xDlOpen(real, name);
}

void vfsDlError(sqlite3_vfs *, int size, char *out)
{
    real->xDlError(real, size, out);
}

void (*vfsDlSym(sqlite3_vfs *, void *handle, const char *symbol))(void)
{
    return real->xDlSym(real, handle, symbol);
}

void vfsDlClose(sqlite3_vfs *, void *handle)
{
    real->xDlClose(real, handle);
}

int vfsRandomness(sqlite3_vfs *, int size, char *out)
{
    return real->xRandomness(real, size, out);
}

int vfsSleep(sqlite3_vfs *, int microseconds)
{
    return real->xSleep(real, microseconds);
}

int vfsCurrentTime(sqlite3_vfs *, double *now)
{
    return real->xCurrentTime(real, now);
}

int vfsGetLastError(sqlite3_vfs *, int size, char *out)
{
    return real->xGetLastError ? real->xGetLastError(real, size, out) : 0;
}

int vfsCurrentTimeInt64(sqlite3_vfs *, sqlite3_int64 *now)
{
    return real->xCurrentTimeInt64(real, now);
}

} // namespace

void install()
{
    if (real)
        return;
    real = sqlite3_vfs_find(nullptr);
    std::memset(&vfs, 0, sizeof vfs);
    vfs.iVersion = 2;
    vfs.szOsFile = int(sizeof(FaultFile)) + real->szOsFile;
    vfs.mxPathname = real->mxPathname;
    vfs.zName = "velunda-fault";
    vfs.xOpen = vfsOpen;
    vfs.xDelete = vfsDelete;
    vfs.xAccess = vfsAccess;
    vfs.xFullPathname = vfsFullPathname;
    vfs.xDlOpen = vfsDlOpen;
    vfs.xDlError = vfsDlError;
    vfs.xDlSym = vfsDlSym;
    vfs.xDlClose = vfsDlClose;
    vfs.xRandomness = vfsRandomness;
    vfs.xSleep = vfsSleep;
    vfs.xCurrentTime = vfsCurrentTime;
    vfs.xGetLastError = vfsGetLastError;
    vfs.xCurrentTimeInt64 = vfsCurrentTimeInt64;
    sqlite3_vfs_register(&vfs, 1);
}

void arm(Fault fault, int step)
{
    armedFault = fault;
    armedStep = step;
    counted = 0;
    counting = true;
    hasStruck = false;
    durableImages.clear();
}

void disarm()
{
    counting = false;
    armedFault = Fault::None;
    durableImages.clear();
}

int steps()
{
    return counted;
}

bool struck()
{
    return hasStruck;
}

} // namespace FaultVfs
