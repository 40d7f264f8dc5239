// A writer killed between naming a new copy and renaming it, as a crash or a power cut ends
// the program: the test program runs itself again as a child ("--killed-writer" and its own
// arguments) that starts one write, reports the copy's path when the write is about to sync it,
// and stops there until the test kills it with SIGKILL. Header only.
#pragma once

#include "FileReplacement.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <QTemporaryFile>
#include <QTest>

#include <cstdio>
#include <cstring>
#include <memory>

#include <unistd.h>

namespace KilledWriter {

inline bool isChild(int argc, char** argv)
{
    return argc > 1 && std::strcmp(argv[1], "--killed-writer") == 0;
}

inline QStringList childArguments(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 2; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// What a writer ended before its rename leaves, made without a child: a new copy for target
// holding content, that nobody holds any more. Its path; empty when it could not be made.
inline QString leftCopy(const QString& target, const QByteArray& content)
{
    const std::unique_ptr<QTemporaryFile> copy = FileReplacement::createNewCopy(target);
    if (!copy || copy->write(content) != content.size() || !copy->flush())
        return QString();
    copy->setAutoRemove(false);
    return copy->fileName();
}

// In the child, before its write starts.
inline void stopAtTheSync()
{
    FileReplacement::setSyncObserver([](const QString& copy) {
        std::printf("SYNC %s\n", QFile::encodeName(copy).constData());
        std::fflush(stdout);
        for (;;)
            ::pause();
    });
}

// In the test: the path of the copy the killed child left; empty when it never got that far.
inline QString runUntilTheSyncAndKill(const QStringList& arguments, int timeoutMs = 60000)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), QStringList{QStringLiteral("--killed-writer")} + arguments);
    QString copy;
    (void)QTest::qWaitFor(
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
    if (copy.isEmpty())
        qWarning("The killed writer never reached its sync: %s", child.readAllStandardError().right(2000).constData());
    return copy;
}

} // namespace KilledWriter
