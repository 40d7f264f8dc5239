#pragma once

// A simulator program run for one test: started with its arguments, ready once it printed
// "READY <port>" (waited for with a bound), stopped with terminate and then kill.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

class PeerProcess
{
public:
    ~PeerProcess() { stop(); }

    // Returns the port the peer listens on, or 0 when it did not get ready in time.
    int start(const QString& program, const QStringList& arguments, int timeoutMs = 20000)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(program, arguments);
        if (!m_process.waitForStarted(10000))
            return 0;
        QByteArray line;
        for (int waited = 0; waited < timeoutMs && !line.contains('\n'); waited += 200) {
            if (!m_process.waitForReadyRead(200) && m_process.state() != QProcess::Running)
                return 0;
            line += m_process.readAllStandardOutput();
        }
        if (!line.startsWith("READY "))
            return 0;
        const int port = line.mid(6, line.indexOf('\n') - 6).trimmed().toInt();
        return port > 0 ? port : 0;
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

private:
    QProcess m_process;
};
