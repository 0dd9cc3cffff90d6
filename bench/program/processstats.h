#pragma once

#include <QList>

// What the kernel tells of a running process, from /proc.
namespace ProcessStats {

// User and system CPU time used so far, in seconds; 0 when the process is gone.
double cpuSeconds(qint64 pid);
// Resident memory (VmRSS) and proportional share (Pss, shared pages divided
// among their users), in KiB.
qint64 residentKiB(qint64 pid);
qint64 proportionalKiB(qint64 pid);
// Memory no other process shares (Uss: Private_Clean + Private_Dirty), in KiB.
qint64 privateKiB(qint64 pid);
// Every process started by the given one, and by those, still running.
QList<qint64> descendants(qint64 pid);

} // namespace ProcessStats
