#pragma once

#include <QString>

// A wrapper around SQLite's default file system layer, made the default for the process, that
// counts the steps by which SQLite changes files (write, sync, truncate, delete) and, once
// armed, strikes at the k-th: it ends the process as a crash or kill would, or as a power cut
// would (every write since a file's last sync is lost first), or it fails that step with an
// I/O error or a full disk. The way SQLite's own crash and I/O error tests work, for tests only.
namespace FaultVfs {

enum class Fault {
    None, // only count
    Kill, // _exit before the step
    PowerCut, // unsynced writes are lost, then _exit
    IoError, // the step fails once with an I/O error
    DiskFull, // this write and every later one fails with SQLITE_FULL
};

// The process exit status of a child that the fault ended.
constexpr int CrashExitStatus = 77;

void install(); // once per process, before any connection is opened
void arm(Fault fault, int step); // counting starts anew; step is 1-based
void disarm();
int steps(); // counted since arm()
bool struck(); // the armed fault has happened

} // namespace FaultVfs
