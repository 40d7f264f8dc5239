// A D-Bus daemon of the test's own, with no service folders, so nothing of the machine is
// started on it and nothing the test registers reaches the machine's buses. Its socket and
// configuration live in a folder of this daemon alone, so tests running side by side never
// share one. Header only; a test includes "support/PrivateDBusDaemon.h".
//
// The daemon process belongs to this object and is stopped (bounded) when it goes.
#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

class PrivateDBusDaemon
{
public:
    ~PrivateDBusDaemon() { stop(); }

    static QString program() { return QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")); }
    static bool available() { return !program().isEmpty(); }

    // Starts the daemon as a bus of that type ("system" or "session"); its address, or empty
    // with the reason in error.
    QString start(const QString& busType, QString* error)
    {
        const QString daemon = program();
        if (daemon.isEmpty()) {
            *error = QStringLiteral("dbus-daemon is not installed");
            return QString();
        }
        if (!m_folder.isValid()) {
            *error = QStringLiteral("no folder for the bus: %1").arg(m_folder.errorString());
            return QString();
        }
        const QString config = m_folder.filePath(QStringLiteral("bus.conf"));
        QFile configFile(config);
        if (!configFile.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            *error = QStringLiteral("cannot write %1").arg(config);
            return QString();
        }
        configFile.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                         " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                         "<busconfig>\n"
                         "  <type>" + busType.toUtf8() + "</type>\n"
                         "  <listen>unix:path=" + m_folder.filePath(QStringLiteral("bus")).toUtf8() + "</listen>\n"
                         "  <auth>EXTERNAL</auth>\n"
                         "  <policy context=\"default\">\n"
                         "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                         "    <allow eavesdrop=\"true\"/>\n"
                         "    <allow own=\"*\"/>\n"
                         "  </policy>\n"
                         "</busconfig>\n");
        configFile.close();

        m_daemon.setProgram(daemon);
        m_daemon.setArguments({QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                               QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
        QSignalSpy output(&m_daemon, &QProcess::readyReadStandardOutput);
        m_daemon.start();
        if (!m_daemon.waitForStarted(5000) || !output.wait(5000)) {
            *error = QStringLiteral("the bus daemon did not start: %1").arg(m_daemon.errorString());
            return QString();
        }
        const QString address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        if (address.isEmpty())
            *error = QStringLiteral("the bus daemon gave no address");
        return address;
    }

    void stop() { stopProcess(m_daemon); }

    // Ends a helper process: asked first, killed when it does not go within the time.
    static void stopProcess(QProcess& process)
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

private:
    // A short name: a socket's path has room for about a hundred bytes only.
    QTemporaryDir m_folder{QDir::tempPath() + QStringLiteral("/cx-bus-XXXXXX")};
    QProcess m_daemon;
};
