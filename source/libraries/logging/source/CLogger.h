#pragma once

#include <QList>
#include <QString>
#include <QVariant>

namespace Tovrin {
namespace Logging {

// The program's one log: static operations callable from any thread. Lines go to a
// UTF-16LE file (CR LF line ends) and, when enabled, to Qt's debug output.
class CLogger
{
public:
    enum LogLevel : qint32
    {
        LogLevelError = 1,
        LogLevelWarning = 2,
        LogLevelInfo = 3
    };

    static void setOutputFileName(const QString& fileName);
    static void setPrintToConsole(bool enabled);
    static void setLogLevel(LogLevel level);
    static void clearLogFile();

    static void logMessage(LogLevel level, const QString& category, const QString& message,
                           QList<QVariant> arguments = {});
    static void logMessage(LogLevel level, const QString& message, QList<QVariant> arguments);

    // The text of one line as written to the file, without its line end.
    static QString formatLine(const QDateTime& time, const QString& category, const QString& message,
                              const QList<QVariant>& arguments);

private:
    CLogger() = delete;
};

} // namespace Logging
} // namespace Tovrin
