#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QHostAddress>
#include <QString>

class QTcpServer;
class QTcpSocket;
class QTimer;

// A camera system of the RVQ family at the far end of the binary command link, listening on
// a loopback address only (127.0.0.1 unless told another). It parses frames on its own
// (independently of the program's codec), answers queries, acknowledges commands and sets,
// holds the control state, models a zoom motor, the readouts and the overlay rows, records
// every frame it receives, and can be told to misbehave the way real links do. One object serves any number
// of clients; everything runs on the thread that created it. The simulator owns its server,
// client sockets and timers (QObject children).
class CRVQLinkSimulator : public QObject
{
    Q_OBJECT

public:
    struct ReceivedFrame
    {
        qint64 timeMs = 0; // since the simulator was created
        int client = 0;    // 1 for the first client that connected, and so on
        quint8 id = 0;
        quint8 kind = 0;
        bool hasTrailer = false;
        quint16 trailer = 0;
        QByteArray payload;
        QByteArray raw;
        bool endByteValid = true;
    };

    // One row of the camera's character overlay as the overlay messages left it: its text
    // (152) and its start column and colour code (146); a clear (136) empties every row.
    struct OverlayRow
    {
        QString text;
        int column = 0;
        int colorCode = 0;
    };

    static constexpr quint16 MaximumZoomPosition = 31424;

    explicit CRVQLinkSimulator(QObject* parent = nullptr);
    ~CRVQLinkSimulator() override;

    // Listens on 127.0.0.1 at the port (0: one of the system's choosing).
    bool listen(quint16 port = 0);
    // Listens on another loopback address (127.0.0.1 by default), so that several simulated
    // systems can each have the link's fixed port.
    bool listen(const QHostAddress& address, quint16 port);
    quint16 port() const { return m_port; }
    int clientCount() const;
    qint64 elapsedMs() const { return m_clock.elapsed(); }

    // What the system reports.
    void setHardwareId(const QString& hardwareId) { m_hardwareId = hardwareId; }
    void setSoftwareVersion(const QString& version) { m_softwareVersion = version; }
    void setReady(bool ready) { m_ready = ready; }
    // Another client holds the control (or gives it back).
    void setControlHeldByOtherClient(bool held);
    // Whether a client of this simulator holds the control (also after its link died).
    bool controlHeldByClient() const { return m_controlOwner > 0; }
    bool controlAvailable() const { return m_controlOwner == 0; }
    // The value a query of this id answers with (payload bytes); sets and commands overwrite it.
    void setValue(quint8 id, const QByteArray& payload) { m_values.insert(id, payload); }
    QByteArray value(quint8 id) const { return m_values.value(id); }
    quint16 zoomPosition() const { return m_zoomPosition; }
    int zoomSpeed() const { return m_zoomSpeed; }
    void setZoomMotorInterval(int milliseconds);
    // The focus and tilt motors: a focus speed (19 c) moves the focus position that 19
    // answers, a tilt speed (37 c) the tilt position that 36 answers, one step per interval.
    void setHeadMotorInterval(int milliseconds);
    int focusSpeed() const { return m_focusSpeed; }
    int tiltSpeed() const { return m_tiltSpeed; }
    QMap<int, OverlayRow> overlayRows() const { return m_overlayRows; }
    bool overlayOn() const { return m_overlayOn; }
    // Error records of the 252 reply: 4 bytes each (u16 time, unused byte, code).
    void setErrorRecords(const QByteArray& records) { setValue(252, records); }
    // One such record: the time big-endian, then the code.
    static QByteArray errorRecord(quint16 time, quint8 code)
    {
        QByteArray bytes;
        bytes.append(static_cast<char>(time >> 8));
        bytes.append(static_cast<char>(time & 0xFF));
        bytes.append('\0');
        bytes.append(static_cast<char>(code));
        return bytes;
    }

    // Faults.
    void setAnswerQueriesWithAck(bool enabled) { m_answerQueriesWithAck = enabled; }
    void setSplitByteByByte(bool enabled) { m_splitByteByByte = enabled; }
    // Every reply to a query comes as ACK, the reply and one unsolicited frame in one write.
    void setMergeAckWithFrames(bool enabled) { m_mergeAckWithFrames = enabled; }
    // Everything the system answers goes out this much later.
    void setResponseDelay(int milliseconds) { m_responseDelay = milliseconds; }
    // The answers (ACK and reply) to the next count frames are not sent.
    void dropNextResponses(int count) { m_dropResponses = count; }
    // Only frames of this id go unanswered, for ever (-1: none).
    void setIgnoredId(int id) { m_ignoredId = id; }
    void setStrayBytesBeforeNextResponse(const QByteArray& bytes) { m_strayBytes = bytes; }
    void setBadEndByteOnNextReply() { m_badEndByte = true; }
    // The next reply announces a payload of 0xFFFF bytes and sends only its own.
    void setHugeLengthOnNextReply() { m_hugeLength = true; }
    void setSilent(bool silent) { m_silent = silent; }
    void setRefuseConnections(bool refuse);
    void closeClientsWithFin();
    void closeClientsWithRst();
    // Raw bytes to every client, as they are.
    void sendRaw(const QByteArray& bytes);

    QList<ReceivedFrame> receivedFrames() const { return m_frames; }
    // The frames of one id (and kind, -1 for any) in arrival order.
    QList<ReceivedFrame> receivedFrames(quint8 id, int kind = -1) const;
    void clearReceivedFrames() { m_frames.clear(); }
    bool shutdownReceived() const { return m_shutdownReceived; }

    // The frame a system sends (no trailer).
    static QByteArray buildFrame(quint8 id, quint8 kind, const QByteArray& payload);

signals:
    void clientConnected();
    void clientDisconnected();
    void frameReceived(quint8 id, quint8 kind);
    void shutdownRequested();

private:
    struct Client
    {
        QPointer<QTcpSocket> socket;
        int number = 0;
        QByteArray input;
        QList<QPair<qint64, QByteArray>> output; // due time, bytes
        QTimer* writer = nullptr;
        bool closeWhenWritten = false;
    };

    void onNewConnection();
    void onReadyRead(Client* client);
    void onDisconnected(Client* client);
    void handleFrame(Client* client, const ReceivedFrame& frame);
    QByteArray replyPayload(quint8 id) const;
    void applyCommand(Client* client, const ReceivedFrame& frame);
    void respond(Client* client, QByteArray ackAndReply, const QByteArray& replyFrame);
    void queueOutput(Client* client, const QByteArray& bytes, int delay);
    void flushOutput(Client* client);
    void stepZoomMotor();
    void stepHeadMotors();
    Client* findClient(QTcpSocket* socket);

    QTcpServer* m_server = nullptr;
    QTimer* m_zoomMotor = nullptr;
    QTimer* m_headMotors = nullptr;
    QList<Client*> m_clients;
    QList<ReceivedFrame> m_frames;
    QHash<quint8, QByteArray> m_values;
    QMap<int, OverlayRow> m_overlayRows;
    bool m_overlayOn = false;
    QElapsedTimer m_clock;
    QString m_hardwareId = QStringLiteral("ZPX_1.0 V01");
    QString m_softwareVersion = QStringLiteral("2.4.1");
    QByteArray m_strayBytes;
    quint16 m_port = 0;
    QHostAddress m_address = QHostAddress(QHostAddress::LocalHost);
    quint16 m_zoomPosition = 0;
    quint16 m_zoomTarget = 0;
    int m_zoomSpeed = 0;
    int m_focusSpeed = 0;
    int m_tiltSpeed = 0;
    bool m_zoomToTarget = false;
    int m_controlOwner = 0; // 0 free, -1 another client, else the number of our client
    int m_nextClientNumber = 1;
    int m_responseDelay = 0;
    int m_dropResponses = 0;
    int m_ignoredId = -1;
    bool m_ready = true;
    bool m_answerQueriesWithAck = false;
    bool m_splitByteByByte = false;
    bool m_mergeAckWithFrames = false;
    bool m_badEndByte = false;
    bool m_hugeLength = false;
    bool m_silent = false;
    bool m_refuse = false;
    bool m_shutdownReceived = false;
};
