#pragma once

// The process's resident memory and its peak (Linux), with the peak reset to the present, so
// that a test can bound what one step took at its worst. Under AddressSanitizer the program
// runs with a small quarantine (below): freed memory then returns as it would, where the
// default quarantine would hold up to 256 MiB of it and read as growth. Include it in one file
// of a program.

#include <QByteArray>
#include <QFile>

#if defined(__SANITIZE_ADDRESS__)
// An ASAN_OPTIONS of the environment still overrides these.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0:abort_on_error=1:halt_on_error=1:quarantine_size_mb=4";
}
#endif

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

// Bytes that this process's connections to the port hold unread (Linux: /proc/self/net/tcp);
// -1 when unreadable. A connection whose reading goes on after its request has ended, at a peer
// faster than the reader, keeps them filled for as long as the peer sends.
inline qint64 unreadBytesFrom(int port)
{
    QFile table(QStringLiteral("/proc/self/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return -1;
    qint64 unread = 0;
    table.readLine();
    while (!table.atEnd()) {
        const QList<QByteArray> fields = table.readLine().simplified().split(' ');
        if (fields.size() > 4 && fields.at(2).split(':').value(1).toInt(nullptr, 16) == port)
            unread += fields.at(4).split(':').value(1).toLongLong(nullptr, 16);
    }
    return unread;
}

} // namespace PeakMemory
