// A writer killed between naming a new copy and renaming it. The test program runs itself
// again as a child ("--killed-writer" and its own arguments) that starts one write and, when
// the write is about to sync its complete copy, reports the copy's path and stops there; the
// test then kills it with SIGKILL, as a crash or a power cut would end the program. Header only.
#pragma once

#include "FileReplacement.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <QTest>

#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace KilledWriter {

inline bool isChild(int argc, char** argv)
{
    return argc > 1 && std::strcmp(argv[1], "--killed-writer") == 0;
}

// In the child: its arguments after the flag.
inline QStringList childArguments(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 2; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// In the child, before the write starts: the sync of the first complete copy reports its path
// on standard output and never returns.
inline void stopAtTheSync()
{
    FileReplacement::setSyncObserver([](const QString& copy) {
        std::printf("SYNC %s\n", QFile::encodeName(copy).constData());
        std::fflush(stdout);
        for (;;)
            ::pause();
    });
}

// In the test: runs the child with arguments until it stops at the sync, kills it, and returns
// the path of the copy it left; empty when it never got there.
inline QString runUntilTheSyncAndKill(const QStringList& arguments, int timeoutMs = 60000)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.setReadChannel(QProcess::StandardOutput);
    child.start(QCoreApplication::applicationFilePath(), QStringList{QStringLiteral("--killed-writer")} + arguments);
    QString copy;
    const bool stopped = QTest::qWaitFor(
        [&] {
            while (child.canReadLine()) {
                const QByteArray line = child.readLine().trimmed();
                if (line.startsWith("SYNC "))
                    copy = QFile::decodeName(line.mid(5));
            }
            return !copy.isEmpty() || child.state() == QProcess::NotRunning;
        },
        timeoutMs);
    child.kill();
    child.waitForFinished(timeoutMs);
    if (!stopped && copy.isEmpty())
        qWarning("The killed writer never reached its sync: %s", child.readAllStandardError().constData());
    return copy;
}

} // namespace KilledWriter
