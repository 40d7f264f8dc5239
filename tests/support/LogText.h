// The text of a log file that CLogger wrote (UTF-16). Header only; a test includes
// "support/LogText.h".
#pragma once

#include "CLogger.h"

#include <QFile>
#include <QString>

// Empty when it cannot be read.
inline QString readLogText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray raw = file.readAll();
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(raw.constData()), raw.size() / 2);
}

// What the logger wrote to its file (at that path) since the file was last emptied, without
// the byte-order mark; the file is emptied, so the next call sees only what comes after.
inline QString takeLogText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QByteArray bytes = file.readAll();
    file.close();
    Tovrin::Logging::CLogger::clearLogFile();
    if (bytes.startsWith("\xFF\xFE"))
        bytes.remove(0, 2);
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
}
