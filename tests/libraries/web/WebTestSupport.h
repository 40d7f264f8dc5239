#pragma once

// Scenario and helpers shared by the web client tests that talk to the simulator.

#include "peers/webservice/WebServiceSimulator.h"

#include "WebCommunicator.h"
#include "support/FreePort.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QRandomGenerator>
#include <QJsonObject>
#include <QSignalSpy>

namespace WebTestSupport {

inline const char* alicePassword()
{
    return "Secr3t&=% pass";
}

// The web client takes its address when the application creates it: the simulator's port is
// chosen before, and the simulator is started on it once the application runs.
inline int pointWebClientAtFreePort()
{
    const int port = freeLoopbackPort();
    qputenv("CX_WEB_ROOT_URL", QStringLiteral("http://127.0.0.1:%1/").arg(port).toLatin1());
    return port;
}

inline QJsonObject account(const QString& user, const QString& password, const QString& id)
{
    return QJsonObject{{QStringLiteral("userName"), user},
                       {QStringLiteral("password"), password},
                       {QStringLiteral("id"), id},
                       {QStringLiteral("companyId"), QStringLiteral("company-") + id}};
}

inline QJsonObject defaultScenario(double clockSkewSeconds = 0)
{
    QJsonObject bob = account(QStringLiteral("bob"), QStringLiteral("b0b & co=1"), QStringLiteral("u-bob"));
    bob.insert(QStringLiteral("twoStep"), true);
    bob.insert(QStringLiteral("twoStepCode"), QStringLiteral("123 456"));
    QJsonObject carol = account(QStringLiteral("carol"), QStringLiteral("carol-pw"), QStringLiteral("u-carol"));
    carol.insert(QStringLiteral("applicationUsers"),
                 QJsonArray{QJsonObject{{QStringLiteral("alias"), QStringLiteral("South")}, {QStringLiteral("id"), QStringLiteral("u-s")}},
                            QJsonObject{{QStringLiteral("alias"), QStringLiteral("North")}, {QStringLiteral("id"), QStringLiteral("u-n")}}});
    QJsonObject dave = account(QStringLiteral("dave"), QStringLiteral("dave-pw"), QStringLiteral("u-dave"));
    dave.insert(QStringLiteral("expiresIn"), 600);
    QJsonArray accounts{account(QStringLiteral("alice"), QString::fromLatin1(alicePassword()), QStringLiteral("u-alice")), bob,
                        carol, dave};
    QJsonArray projects{QJsonObject{{QStringLiteral("projectName"), QStringLiteral("Big")},
                                    {QStringLiteral("projectId"), QStringLiteral("p-big")},
                                    {QStringLiteral("webProjectId"), QStringLiteral("w-big")},
                                    {QStringLiteral("projectFolderName"), QStringLiteral("Big")},
                                    {QStringLiteral("projectImportDate"), QStringLiteral("2026-01-02T03:04:05Z")},
                                    {QStringLiteral("diskUsage"), 5368709120.0},
                                    {QStringLiteral("media"),
                                     QJsonArray{QJsonObject{{QStringLiteral("type"), QStringLiteral("Photos")},
                                                            {QStringLiteral("name"), QStringLiteral("a b.jpg")}},
                                                QJsonObject{{QStringLiteral("type"), QStringLiteral("Videos")},
                                                            {QStringLiteral("name"), QStringLiteral("v.mp4")}}}}}};
    return QJsonObject{{QStringLiteral("clockSkewSeconds"), clockSkewSeconds},
                       {QStringLiteral("accounts"), accounts},
                       {QStringLiteral("projects"), projects}};
}

// The default scenario with a long project list in place of its projects.
inline QJsonObject scenarioWithProjects(int count)
{
    QJsonArray projects;
    for (int i = 0; i < count; ++i)
        projects.append(QJsonObject{{QStringLiteral("projectName"), QStringLiteral("Sewer renewal district %1, phase two").arg(i)},
                                    {QStringLiteral("projectId"), QStringLiteral("p-%1").arg(i, 6, 10, QLatin1Char('0'))},
                                    {QStringLiteral("webProjectId"), QStringLiteral("w-%1").arg(i, 6, 10, QLatin1Char('0'))},
                                    {QStringLiteral("projectFolderName"), QStringLiteral("District %1").arg(i)},
                                    {QStringLiteral("projectImportDate"), QStringLiteral("2026-01-02T03:04:05Z")},
                                    {QStringLiteral("diskUsage"), 5368709120.0}});
    QJsonObject scenario = defaultScenario();
    scenario.insert(QStringLiteral("projects"), projects);
    return scenario;
}

// Bounds the wait for an answer's head and for a stalled transfer alike.
inline void setWaitLimit(Tovrin::Web::WebCommunicator& communicator, int milliseconds)
{
    Tovrin::Web::WebCommunicator::Timeouts timeouts = communicator.timeouts();
    timeouts.transfer.headMs = milliseconds;
    timeouts.transfer.stallMs = milliseconds;
    communicator.setTimeouts(timeouts);
}

inline QJsonObject fault(const QString& route, const QJsonObject& action, const QList<int>& nth = {})
{
    QJsonObject rule = action;
    rule.insert(QStringLiteral("route"), route);
    if (!nth.isEmpty()) {
        QJsonArray numbers;
        for (int n : nth)
            numbers.append(n);
        rule.insert(QStringLiteral("nth"), numbers);
    }
    return rule;
}

// Logs the communicator in directly (no worker) and fetches its client data.
inline bool loginCommunicator(Tovrin::Web::WebCommunicator& communicator, const QString& user, const QString& password)
{
    using namespace Tovrin::Web;
    LoginRequestHandle* handle = communicator.login(user, password);
    QSignalSpy finished(handle, &LoginRequestHandle::requestFinished);
    if (!finished.wait(10000)) {
        delete handle;
        return false;
    }
    const LoginResponse response = finished.at(0).at(0).value<LoginResponse>();
    delete handle;
    if (!response.isSuccess())
        return false;
    communicator.synchronizeServerTime();
    communicator.setLoginData(response);
    return communicator.queryClientCredentials() == ErrorNone;
}

// Writes size pseudo-random bytes (the same for the same seed), streamed in blocks.
inline bool makeRandomFile(const QString& path, qint64 size, quint32 seed = 1)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QRandomGenerator random(seed);
    QByteArray block(1 << 20, Qt::Uninitialized);
    qint64 written = 0;
    while (written < size) {
        random.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
        const qint64 chunk = qMin<qint64>(block.size(), size - written);
        if (file.write(block.constData(), chunk) != chunk)
            return false;
        written += chunk;
    }
    return true;
}

// A file of size bytes that takes no room on disk (it reads as zeros).
inline bool makeSparseFile(const QString& path, qint64 size)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.resize(size);
}

inline bool writeText(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

// MD5 of a file, read in blocks; empty when the file cannot be read.
inline QByteArray fileMd5(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!hash.addData(&file))
        return QByteArray();
    return hash.result().toHex();
}

} // namespace WebTestSupport
