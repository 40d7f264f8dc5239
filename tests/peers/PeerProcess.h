#pragma once

// A simulator program run for one test: started with its arguments, ready once it printed
// "READY <port>" (waited for with a bound), stopped with terminate and then kill.
//
// A peer that never answers makes a test fail fast instead of waiting the full bound in every
// test function: a program that did not get ready once is not waited for again in the same
// test process, and a peer that let one control request run into its time-out (or died) is
// not asked again; its callers get the failure at once.

#include <QByteArray>
#include <QProcess>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class PeerProcess
{
public:
    ~PeerProcess() { stop(); }

    // Returns the port the peer listens on, or 0 when it did not get ready in time.
    int start(const QString& program, const QStringList& arguments, int timeoutMs = 20000)
    {
        m_answering = false;
        const QString key = program + QLatin1Char(' ') + arguments.value(0);
        if (neverReady().contains(key)) {
            qWarning("%s did not get ready earlier in this test; not waiting for it again", qPrintable(key));
            return 0;
        }
        const int port = startAndWait(program, arguments, timeoutMs);
        if (port == 0) {
            neverReady().insert(key);
            stop();
            return 0;
        }
        m_answering = true;
        return port;
    }

    void stop()
    {
        m_answering = false;
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    // For a signal to the peer.
    qint64 processId() const { return m_process.processId(); }

    // Whether the peer may still be asked: it got ready, runs, and has not let a request
    // run into its time-out.
    bool isAnswering() const { return m_answering && m_process.state() == QProcess::Running; }
    // A request to the peer got no answer within its bound: later ones fail at once.
    void markNotAnswering()
    {
        if (m_answering)
            qWarning("The peer did not answer a control request in time; later requests fail at once");
        m_answering = false;
    }

private:
    int startAndWait(const QString& program, const QStringList& arguments, int timeoutMs)
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

    static QSet<QString>& neverReady()
    {
        static QSet<QString> programs;
        return programs;
    }

    QProcess m_process;
    bool m_answering = false;
};
