#pragma once

// Field links on the loopback of a network namespace of the caller's own (see unshare(2); the
// caller makes it before any thread starts): packets of a real link's size, and for each port a
// link of its own with its rate and a modem's queue (htb classes, u32 filters) that can break
// for a while. Each call returns the reason it failed, empty on success.

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace ShapedLoopback {

inline QString runTool(const QString& name, const QStringList& arguments)
{
    const QString program = QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"),
                                                                  QStringLiteral("/usr/bin"), QStringLiteral("/bin")});
    if (program.isEmpty())
        return name + QStringLiteral(" not found");
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return name + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')) + QStringLiteral(": ")
               + QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return QString();
}

// The loopback up, in packets of 1500 bytes, with a fast link for every port not shaped.
inline QString setUp()
{
    const QList<QPair<QString, QStringList>> commands{
        {QStringLiteral("ip"), {"link", "set", "lo", "up"}},
        {QStringLiteral("ip"), {"link", "set", "lo", "mtu", "1500"}},
        {QStringLiteral("ip"), {"link", "set", "dev", "lo", "gso_max_size", "1500"}},
        {QStringLiteral("tc"), {"qdisc", "add", "dev", "lo", "root", "handle", "1:", "htb", "default", "99"}},
        {QStringLiteral("tc"), {"class", "add", "dev", "lo", "parent", "1:", "classid", "1:99", "htb", "rate", "10gbit"}}};
    for (const auto& command : commands) {
        const QString error = runTool(command.first, command.second);
        if (!error.isEmpty())
            return error;
    }
    return QString();
}

// All traffic to and from the port through class classNumber (10 to 98) at the rate.
inline QString shapePort(quint16 port, int classNumber, const QString& rate, int queuePackets = 20)
{
    const QString id = QStringLiteral("1:%1").arg(classNumber);
    const QList<QStringList> commands{
        {"class", "add", "dev", "lo", "parent", "1:", "classid", id, "htb", "rate", rate, "ceil", rate, "quantum", "1514"},
        {"qdisc", "add", "dev", "lo", "parent", id, "handle", QStringLiteral("%1:").arg(classNumber), "pfifo", "limit",
         QString::number(queuePackets)},
        {"filter", "add", "dev", "lo", "parent", "1:", "protocol", "ip", "prio", "1", "u32", "match", "ip", "dport",
         QString::number(port), "0xffff", "flowid", id},
        {"filter", "add", "dev", "lo", "parent", "1:", "protocol", "ip", "prio", "1", "u32", "match", "ip", "sport",
         QString::number(port), "0xffff", "flowid", id}};
    for (const QStringList& command : commands) {
        const QString error = runTool(QStringLiteral("tc"), command);
        if (!error.isEmpty())
            return error;
    }
    return QString();
}

// The class's link carries nothing (its rate falls to nothing, what is sent waits in its queue),
// or carries again at its rate, and what waited is lost on the way. The sender's kernel sees no
// error of its own, as on a link that breaks further away: TCP backs off and retransmits.
inline QString setOutage(int classNumber, bool out, const QString& rate, int queuePackets = 20)
{
    const QString id = QStringLiteral("1:%1").arg(classNumber);
    const QString handle = QStringLiteral("%1:").arg(classNumber);
    const QString classRate = out ? QStringLiteral("8bit") : rate;
    const QStringList classChange{"class", "change", "dev", "lo", "parent", "1:", "classid", id, "htb", "rate", classRate, "ceil",
                                  classRate, "quantum", "1514"};
    const QStringList queue{"qdisc", "replace", "dev", "lo", "parent", id, "handle", handle, "pfifo", "limit",
                            out ? QStringLiteral("1000000") : QString::number(queuePackets)};
    QString error = runTool(QStringLiteral("tc"), out ? classChange : queue);
    if (error.isEmpty())
        error = runTool(QStringLiteral("tc"), out ? queue : classChange);
    return error;
}

// Everything a client sends to the port after its SYN is lost, through class classNumber (10
// to 98), while the SYN and the peer's answers pass: a link that breaks with each connection's
// handshake under way, once the peer has answered the SYN. passFrom() lets one connection
// through again, setOutage(classNumber, false, rate) all of them.
inline QString breakAfterSyn(quint16 port, int classNumber)
{
    const QString id = QStringLiteral("1:%1").arg(classNumber);
    const QList<QStringList> commands{
        {"class", "add", "dev", "lo", "parent", "1:", "classid", id, "htb", "rate", "10gbit"},
        // A queue of no packets: every one is dropped.
        {"qdisc", "add", "dev", "lo", "parent", id, "handle", QStringLiteral("%1:").arg(classNumber), "pfifo", "limit", "0"},
        // The TCP flags of a header without IP options, SYN clear.
        {"filter", "add", "dev", "lo", "parent", "1:", "protocol", "ip", "prio", "2", "u32", "match", "ip", "dport",
         QString::number(port), "0xffff", "match", "u8", "0x05", "0x0f", "at", "0", "match", "u8", "0x00", "0x02", "at", "33",
         "flowid", id}};
    for (const QStringList& command : commands) {
        const QString error = runTool(QStringLiteral("tc"), command);
        if (!error.isEmpty())
            return error;
    }
    return QString();
}

// What the client sends from clientPort to the port goes by the fast link, ahead of any other rule.
inline QString passFrom(quint16 port, quint16 clientPort)
{
    return runTool(QStringLiteral("tc"), {"filter", "add", "dev", "lo", "parent", "1:", "protocol", "ip", "prio", "1", "u32", "match",
                                          "ip", "dport", QString::number(port), "0xffff", "match", "ip", "sport",
                                          QString::number(clientPort), "0xffff", "flowid", "1:99"});
}

} // namespace ShapedLoopback
