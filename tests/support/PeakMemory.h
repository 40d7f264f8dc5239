#pragma once

// The process's resident memory and its peak (Linux), with the peak reset to the present, so
// that a test can bound what one step took at its worst. Under AddressSanitizer the test runs
// with a small quarantine (see its CMakeLists.txt): freed memory then returns as it would.

#include <QByteArray>
#include <QFile>

namespace PeakMemory {

// Kibibytes of the /proc/self/status line with that key; -1 when unreadable.
inline qint64 statusKiB(const QByteArray& key)
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Sets the peak to the present resident size; false where the kernel does not offer it.
inline bool resetPeak()
{
    QFile file(QStringLiteral("/proc/self/clear_refs"));
    return file.open(QIODevice::WriteOnly) && file.write("5") == 1;
}

inline qint64 residentBytes()
{
    return statusKiB("VmRSS") * 1024;
}

inline qint64 peakBytes()
{
    return statusKiB("VmHWM") * 1024;
}

} // namespace PeakMemory
