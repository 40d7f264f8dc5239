// The state the kernel reports of a process, or of one of its threads, from its stat file in
// /proc ("/proc/<pid>/stat", "/proc/<pid>/task/<tid>/stat"). Header only.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// 'T' when stopped by a signal, 'Z' a zombie, 'R' or 'S' running or asleep; 0 when the file
// cannot be read (the process is gone).
inline char processState(const QString& statPath)
{
    QFile stat(statPath);
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    const int end = line.lastIndexOf(')'); // the program's name may hold blanks and parentheses
    return end > 0 && line.size() > end + 2 ? line.at(end + 2) : 0;
}
