#include "processstats.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QHash>

#include <unistd.h>

namespace ProcessStats {

namespace {

QByteArray readProc(qint64 pid, const char *name) {
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1StringView(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The fields of /proc/<pid>/stat after the command name, which may hold spaces.
QList<QByteArray> statFields(qint64 pid) {
    const QByteArray stat = readProc(pid, "stat");
    const qsizetype end = stat.lastIndexOf(')');
    return end < 0 ? QList<QByteArray>() : stat.mid(end + 2).split(' ');
}

qint64 fieldKiB(const QByteArray &text, const QByteArray &key) {
    const qsizetype at = text.indexOf('\n' + key);
    if (at < 0)
        return 0;
    const qsizetype end = text.indexOf('\n', at + 1);
    return text.mid(at + 1 + key.size(), end - at - 1 - key.size())
        .trimmed()
        .split(' ')
        .value(0)
        .toLongLong();
}

} // namespace

double cpuSeconds(qint64 pid) {
    const QList<QByteArray> fields = statFields(pid);
    // Fields 14 and 15 of the whole line: utime and stime, in clock ticks.
    if (fields.size() < 13)
        return 0;
    return double(fields[11].toLongLong() + fields[12].toLongLong()) / sysconf(_SC_CLK_TCK);
}

qint64 residentKiB(qint64 pid) {
    return fieldKiB('\n' + readProc(pid, "status"), "VmRSS:");
}

qint64 proportionalKiB(qint64 pid) {
    return fieldKiB('\n' + readProc(pid, "smaps_rollup"), "Pss:");
}

qint64 privateKiB(qint64 pid) {
    const QByteArray rollup = '\n' + readProc(pid, "smaps_rollup");
    return fieldKiB(rollup, "Private_Clean:") + fieldKiB(rollup, "Private_Dirty:");
}

QList<qint64> descendants(qint64 pid) {
    QHash<qint64, QList<qint64>> children;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool number = false;
        const qint64 child = entry.toLongLong(&number);
        if (!number)
            continue;
        const QList<QByteArray> fields = statFields(child);
        if (fields.size() > 1)
            children[fields[1].toLongLong()].append(child);
    }
    QList<qint64> found;
    QList<qint64> pending{pid};
    while (!pending.isEmpty()) {
        const QList<qint64> next = children.value(pending.takeFirst());
        found += next;
        pending += next;
    }
    return found;
}

} // namespace ProcessStats
