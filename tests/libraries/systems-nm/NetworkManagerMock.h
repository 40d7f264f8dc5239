#pragma once

// NetworkManager for one test process: a bus daemon of its own standing in for the system bus
// (DBUS_SYSTEM_BUS_ADDRESS points the program at it before anything opens the system bus), and
// python-dbusmock with the camera_networkmanager.py template beside this file on it. The test
// scripts the mock through its control interface on a connection of its own. Every wait is bounded.

#include "support/PrivateDBusDaemon.h"
#include "support/ProcessState.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>

#include <signal.h>

class NetworkManagerMock
{
public:
    static constexpr const char* Service = "org.freedesktop.NetworkManager";
    static constexpr const char* MockInterface = "org.freedesktop.DBus.Mock";
    static constexpr const char* MainObject = "/org/freedesktop";

    ~NetworkManagerMock()
    {
        stopService();
        QDBusConnection::disconnectFromBus(QStringLiteral("nm-mock-control"));
        m_bus.stop();
    }

    // The interpreter that has python-dbusmock (the system's, not one of a Python version
    // manager); empty when it has not.
    static QString python()
    {
        const QString program = QFileInfo::exists(QStringLiteral("/usr/bin/python3"))
                                    ? QStringLiteral("/usr/bin/python3")
                                    : QStandardPaths::findExecutable(QStringLiteral("python3"));
        QProcess probe;
        probe.start(program, {QStringLiteral("-c"), QStringLiteral("import dbusmock")});
        const bool found = probe.waitForFinished(10000) && probe.exitStatus() == QProcess::NormalExit
                           && probe.exitCode() == 0;
        return found ? program : QString();
    }

    // Starts the bus and makes it the program's system bus. False with a reason when it cannot.
    bool startBus(QString* error)
    {
        m_address = m_bus.start(QStringLiteral("system"), error);
        if (m_address.isEmpty())
            return false;
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_address.toUtf8());
        return true;
    }

    // Finds the interpreter and starts the bus: why the mock cannot run here, or empty.
    QString prepare(QString* python)
    {
        *python = NetworkManagerMock::python();
        if (python->isEmpty())
            return QStringLiteral("python3-dbusmock is not installed; NetworkManager cannot be mocked");
        QString error;
        return startBus(&error) ? QString() : error;
    }

    QDBusConnection control() const
    {
        return QDBusConnection::connectToBus(m_address, QStringLiteral("nm-mock-control"));
    }

    // Starts the mock and waits (bounded) until it owns NetworkManager's name.
    bool startService(const QString& python)
    {
        QDBusConnection bus = control();
        QDBusServiceWatcher watcher(QString::fromLatin1(Service), bus, QDBusServiceWatcher::WatchForRegistration);
        QSignalSpy registered(&watcher, &QDBusServiceWatcher::serviceRegistered);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_address);
        m_service.setProcessEnvironment(environment);
        m_service.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_service.setStandardOutputFile(QProcess::nullDevice());
        m_service.start(python, {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--system"),
                                 QStringLiteral("--template"), QStringLiteral(CX_NM_MOCK_TEMPLATE)});
        if (!m_service.waitForStarted(5000))
            return false;
        return bus.interface()->isServiceRegistered(QString::fromLatin1(Service)) || registered.wait(20000);
    }

    // Stops the mock, as NetworkManager stopping does, and waits (bounded) until its name is gone.
    bool stopService()
    {
        if (m_service.state() == QProcess::NotRunning)
            return true;
        QDBusConnection bus = control();
        QDBusServiceWatcher watcher(QString::fromLatin1(Service), bus, QDBusServiceWatcher::WatchForUnregistration);
        QSignalSpy unregistered(&watcher, &QDBusServiceWatcher::serviceUnregistered);
        PrivateDBusDaemon::stopProcess(m_service);
        return !bus.interface()->isServiceRegistered(QString::fromLatin1(Service)) || unregistered.wait(10000);
    }

    // Freezes the mock as a hung NetworkManager: it keeps its name and its calls go unanswered
    // (SIGSTOP) until resumed (SIGCONT). Its control calls wait as well, so resume first.
    bool freeze() { return signalService(SIGSTOP); }
    bool resume() { return signalService(SIGCONT); }
    // Whether the mock is stopped (frozen by the test or by itself), as the kernel reports it.
    bool isFrozen() const
    {
        return m_service.state() == QProcess::Running
            && processState(QStringLiteral("/proc/%1/stat").arg(m_service.processId())) == 'T';
    }
    qint64 processId() const { return m_service.processId(); }
    bool signalService(int signalNumber)
    {
        return m_service.state() == QProcess::Running && ::kill(pid_t(m_service.processId()), signalNumber) == 0;
    }

    // A call of the mock's control interface on its main object; an error reply as it came.
    QDBusMessage mock(const QString& method, const QVariantList& arguments)
    {
        return call(QString::fromLatin1(MainObject), QString::fromLatin1(MockInterface), method, arguments);
    }

    QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& arguments = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(QString::fromLatin1(Service), path, interface, method);
        message.setArguments(arguments);
        return control().call(message, QDBus::Block, 10000);
    }

    QVariant property(const QString& path, const QString& interface, const QString& name)
    {
        const QDBusMessage reply = call(path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                                        {interface, name});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return QVariant();
        return reply.arguments().constFirst().value<QDBusVariant>().variant();
    }

    // Adds a Wi-Fi device (disconnected); its object path.
    QString addDevice(const QString& name, const QString& interfaceName)
    {
        return mock(QStringLiteral("AddCameraWiFiDevice"), {name, interfaceName}).arguments().value(0).toString();
    }
    // The same with a hardware address of its own: another adapter, whatever its name.
    QString addDevice(const QString& name, const QString& interfaceName, const QString& hardwareAddress)
    {
        return mock(QStringLiteral("AddCameraWiFiDeviceAt"), {name, interfaceName, hardwareAddress}).arguments().value(0).toString();
    }

    // Adds an access point (WPA2-PSK unless open); its object path.
    QString addAccessPoint(const QString& device, const QString& name, const QString& ssid, uchar strength, bool open)
    {
        return addAccessPoint(device, name, ssid, strength, open ? 0u : 0x108u);
    }

    // Adds an access point with these security flags (NM80211ApSecurityFlags, as its WPA and RSN
    // flags; privacy unless 0); its object path.
    QString addAccessPoint(const QString& device, const QString& name, const QString& ssid, uchar strength,
                           quint32 security)
    {
        return mock(QStringLiteral("AddAccessPoint"),
                    {device, name, ssid, nextBssid(), 2u, 2412u, 54000u, QVariant::fromValue(strength), security})
            .arguments()
            .value(0)
            .toString();
    }

    // The same with an SSID of any bytes, as access points send them.
    QString addAccessPointWithSsid(const QString& device, const QString& name, const QByteArray& ssid, uchar strength,
                                   quint32 security)
    {
        return mock(QStringLiteral("AddAccessPointWithSsid"),
                    {device, name, ssid, nextBssid(), QVariant::fromValue(strength), security})
            .arguments()
            .value(0)
            .toString();
    }

    // Saves a Wi-Fi connection as someone else (the user, another program) does; its object path.
    // keyManagement empty for an open network; interfaceName and hardwareAddress bind it to a device.
    QString addSavedConnection(const QString& ssid, const QString& keyManagement, const QString& key, bool autoconnect,
                               const QString& interfaceName = QString(), const QByteArray& hardwareAddress = QByteArray())
    {
        QMap<QString, QVariantMap> settings;
        settings[QStringLiteral("connection")] = {{QStringLiteral("id"), ssid + QStringLiteral(" (saved)")},
                                                  {QStringLiteral("type"), QStringLiteral("802-11-wireless")},
                                                  {QStringLiteral("autoconnect"), autoconnect}};
        if (!interfaceName.isEmpty())
            settings[QStringLiteral("connection")][QStringLiteral("interface-name")] = interfaceName;
        settings[QStringLiteral("802-11-wireless")] = {{QStringLiteral("ssid"), ssid.toUtf8()},
                                                       {QStringLiteral("mode"), QStringLiteral("infrastructure")}};
        if (!hardwareAddress.isEmpty())
            settings[QStringLiteral("802-11-wireless")][QStringLiteral("mac-address")] = hardwareAddress;
        if (!keyManagement.isEmpty()) {
            settings[QStringLiteral("802-11-wireless-security")] = {{QStringLiteral("key-mgmt"), keyManagement},
                                                                    {QStringLiteral("psk"), key}};
        }
        return mock(QStringLiteral("AddSavedConnection"), {QVariant::fromValue(settings)}).arguments().value(0).toString();
    }

    // How often the connection's secrets were asked for.
    uint secretReads(const QString& connection)
    {
        return mock(QStringLiteral("SecretReads"), {connection}).arguments().value(0).toUInt();
    }

private:
    static QString nextBssid()
    {
        static int counter = 0;
        return QStringLiteral("02:00:00:00:01:%1").arg(++counter % 256, 2, 16, QLatin1Char('0'));
    }

    PrivateDBusDaemon m_bus;
    QProcess m_service;
    QString m_address;
};
