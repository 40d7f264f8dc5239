#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>
#include <QTcpServer>

#include <signal.h>

// Runs the RTSP test peer (tests/peers/rtsp-server) on 127.0.0.1 for one test and kills it
// afterwards. Every wait is bounded; a peer that did not get ready once in this test process
// is not waited for again, so that the test fails fast instead of once per function.
class RtspPeer
{
public:
    explicit RtspPeer(const QStringList& arguments = {})
        : m_arguments(arguments)
    {
    }

    ~RtspPeer() { kill(); }

    bool start(int timeoutMs = 20000)
    {
        if (neverReady()) {
            qWarning("The RTSP peer did not get ready earlier in this test; not waiting for it again");
            return false;
        }
        if (!startAndWait(timeoutMs)) {
            neverReady() = true;
            kill();
            return false;
        }
        return true;
    }

    void kill()
    {
        freeze(false);
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
    }

    // Freezes the peer (SIGSTOP) or lets it go on (SIGCONT): a camera that stops sending.
    void freeze(bool frozen)
    {
        if (m_process.state() == QProcess::Running)
            ::kill(pid_t(m_process.processId()), frozen ? SIGSTOP : SIGCONT);
    }

    int port() const { return m_port; }
    int authPort() const { return m_authPort; }
    QString url(const QString& path) const
    {
        return QStringLiteral("rtsp://127.0.0.1:%1%2").arg(m_port).arg(path);
    }

    // A port on 127.0.0.1 where nothing listens: bound once to learn a free number, then closed.
    static int refusedPort()
    {
        QTcpServer server;
        if (!server.listen(QHostAddress::LocalHost, 0))
            return 0;
        const int port = server.serverPort();
        server.close();
        return port;
    }

private:
    static bool& neverReady()
    {
        static bool failed = false;
        return failed;
    }

    bool startAndWait(int timeoutMs)
    {
        m_process.setProgram(QStringLiteral(CX_RTSP_PEER_PATH));
        m_process.setArguments(m_arguments);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
        if (!m_process.waitForStarted(timeoutMs))
            return false;
        QDeadlineTimer deadline(timeoutMs);
        while (m_port == 0 && !deadline.hasExpired()) {
            if (!m_process.canReadLine() && !m_process.waitForReadyRead(int(deadline.remainingTime())))
                break;
            while (m_process.canReadLine()) {
                const QList<QByteArray> words = m_process.readLine().trimmed().split(' ');
                if (words.size() == 2 && words[0] == "AUTH")
                    m_authPort = words[1].toInt();
                else if (words.size() == 2 && words[0] == "READY")
                    m_port = words[1].toInt();
            }
        }
        return m_port > 0;
    }

    QStringList m_arguments;
    QProcess m_process;
    int m_port = 0;
    int m_authPort = 0;
};
