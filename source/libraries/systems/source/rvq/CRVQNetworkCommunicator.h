#pragma once

#include "rvq/CAbstractRVQCommunicator.h"

#include <QAbstractSocket>
#include <QString>

class QTcpSocket;

namespace Ulx {
namespace Communication {

// The link over TCP. Owns its socket (created without parent, deleted in the destructor).
// GUI thread only.
class CRVQNetworkCommunicator : public CAbstractRVQCommunicator
{
    Q_OBJECT

public:
    static constexpr quint16 DefaultPort = 5000;

    CRVQNetworkCommunicator();
    ~CRVQNetworkCommunicator() override;

    void setHost(const QString& host) { m_host = host; }
    QString host() const { return m_host; }
    void setPort(quint16 port) { m_port = port; }
    quint16 port() const { return m_port; }

    bool writeData(const QByteArray& data) override;
    void connectToSystem() override;
    void disconnectFromSystem(bool force) override;

private slots:
    void onSocketReadyRead();
    void onSocketStateChanged(QAbstractSocket::SocketState socketState);
    void onSocketError(QAbstractSocket::SocketError socketError);
    void onBytesWritten(qint64 bytes);

private:
    QString m_host;
    QTcpSocket* m_socket = nullptr;
    quint16 m_port = 0;
    bool m_closeAfterWrite = false;
};

} // namespace Communication
} // namespace Ulx
