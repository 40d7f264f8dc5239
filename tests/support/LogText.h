// The text of a log file that CLogger wrote (UTF-16); empty when it cannot be read.
#pragma once

#include <QFile>
#include <QString>

inline QString readLogText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray raw = file.readAll();
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(raw.constData()), raw.size() / 2);
}
