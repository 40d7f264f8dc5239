#include "CLogger.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

namespace Tovrin {
namespace Logging {

namespace {

constexpr qint64 kRotationSize = 2 * 1024 * 1024;

struct LoggerRecord
{
    QFile file;
    QMutex mutex;
    CLogger::LogLevel threshold = CLogger::LogLevelInfo;
    bool printToConsole = true;
};

// Created on first use and never destroyed: worker threads may still log while static
// destructors run at exit.
LoggerRecord& record()
{
    static LoggerRecord* instance = new LoggerRecord;
    return *instance;
}

void writeUtf16Le(QFile& file, const QString& text)
{
    QByteArray bytes;
    bytes.resize(text.size() * 2);
    char* out = bytes.data();
    for (const QChar c : text) {
        const ushort unit = c.unicode();
        *out++ = static_cast<char>(unit & 0xFF);
        *out++ = static_cast<char>(unit >> 8);
    }
    file.write(bytes);
}

} // namespace

void CLogger::setOutputFileName(const QString& fileName)
{
    LoggerRecord& r = record();
    QMutexLocker lock(&r.mutex);
    if (fileName == r.file.fileName())
        return;
    if (r.file.isOpen()) {
        r.file.flush();
        r.file.close();
    }
    r.file.setFileName(fileName);
    if (fileName.isEmpty())
        return;

    if (QFileInfo(fileName).size() > kRotationSize) {
        const QString oldName = fileName + QStringLiteral(".old");
        if (QFile::exists(oldName))
            QFile::remove(oldName);
        QFile::rename(fileName, oldName);
    }

    if (r.file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        if (r.file.size() == 0)
            r.file.write("\xFF\xFE", 2);
    }
}

void CLogger::setPrintToConsole(bool enabled)
{
    LoggerRecord& r = record();
    QMutexLocker lock(&r.mutex);
    r.printToConsole = enabled;
}

void CLogger::setLogLevel(LogLevel level)
{
    LoggerRecord& r = record();
    QMutexLocker lock(&r.mutex);
    r.threshold = level;
}

void CLogger::clearLogFile()
{
    LoggerRecord& r = record();
    QMutexLocker lock(&r.mutex);
    if (!r.file.isOpen())
        return;
    r.file.seek(0);
    r.file.resize(0);
}

QString CLogger::formatLine(const QDateTime& time, const QString& category, const QString& message,
                            const QList<QVariant>& arguments)
{
    const QString stamp = time.toString(QStringLiteral("yyyy-MM-dd' 'HH:mm:ss.zzz"));
    int size = stamp.size() + category.size() + message.size() + 5;
    QStringList texts;
    texts.reserve(arguments.size());
    for (const QVariant& argument : arguments) {
        texts.append(argument.toString());
        size += texts.last().size() + 1;
    }

    QString line;
    line.reserve(size);
    line += QLatin1Char('[');
    line += stamp;
    line += QLatin1String("][");
    line += category;
    line += QLatin1String("] ");
    line += message;
    for (const QString& text : qAsConst(texts)) {
        line += QLatin1Char(' ');
        line += text;
    }
    return line;
}

void CLogger::logMessage(LogLevel level, const QString& category, const QString& message,
                         QList<QVariant> arguments)
{
    LoggerRecord& r = record();
    QMutexLocker lock(&r.mutex);
    if (level > r.threshold)
        return;

    const QString line = formatLine(QDateTime::currentDateTime(), category, message, arguments);
    if (r.file.isOpen()) {
        writeUtf16Le(r.file, line);
        r.file.write("\x0D\x00\x0A\x00", 4);
    }
    if (r.printToConsole)
        qDebug() << line;
}

void CLogger::logMessage(LogLevel level, const QString& message, QList<QVariant> arguments)
{
    logMessage(level, QStringLiteral("Unspecified"), message, std::move(arguments));
}

} // namespace Logging
} // namespace Tovrin
