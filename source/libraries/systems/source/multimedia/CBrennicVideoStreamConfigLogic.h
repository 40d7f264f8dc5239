#pragma once

#include "multimedia/CAbstractVideoStreamConfigLogic.h"

#include <QBasicTimer>
#include <QByteArray>
#include <QPointer>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;
class QTimerEvent;

namespace Ulx {
namespace Multimedia {

class CRTSPVideoStreamerLogic;

// The stream configuration logic of the Brennic encoder board of ZPX2 and Gullyrover systems.
// It speaks the board's REST interface (JSON over HTTP): checks the API version, reads the
// video mode and changes it, stopping the live stream before a change and starting it again
// once the board has settled.
//
// Ownership: the session owns this logic; the streamer logic is the library's. Each exchange
// (a query, or a change with its read-back) has a network access manager of its own, created
// without a parent and released with deleteLater when the exchange ends. GUI thread only.
class CBrennicVideoStreamConfigLogic : public CAbstractVideoStreamConfigLogic
{
    Q_OBJECT

public:
    static constexpr int DefaultRestartDelay = 10000;
    // Beyond the slowest answer the board gives while it switches its encoder.
    static constexpr int DefaultTransferTimeout = 8000;

    enum ExchangeState : quint32
    {
        ExchangeIdle = 0,
        ExchangeChangeSent = 1,
        ExchangeReadingBack = 2,
        ExchangeWaitingBeforeRestart = 3,
        ExchangeWaitingForStream = 4
    };

    explicit CBrennicVideoStreamConfigLogic(Ulx::Multimedia::CRTSPVideoStreamerLogic* streamerLogic);
    ~CBrennicVideoStreamConfigLogic() override;

    void queryActiveConfig() override;
    void changeActiveConfig(Ulx::MultimediaTypes::VideoConfig config) override;
    bool supportsConfigChange() const override;
    void reset() override;

    quint32 exchangeState() const { return m_exchangeState; }

    // Tests shorten the waits.
    void setRestartDelay(int milliseconds) { m_restartDelay = milliseconds; }
    void setTransferTimeout(int milliseconds) { m_transferTimeout = milliseconds; }

    // The board's mode string of a configuration ("" for one it has none for), and back.
    static QString modeString(Ulx::MultimediaTypes::VideoConfig config);
    static Ulx::MultimediaTypes::VideoConfig configFromModeString(const QString& mode);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void onReplyFinished(QNetworkReply* reply);
    void onStreamerStateChanged();

    void createManager();
    void releaseManager();
    QNetworkReply* send(const QByteArray& verb, const QString& urlTemplate, const QByteArray& body = QByteArray());
    bool evaluateVersionReply(QNetworkReply* reply, bool failed);
    bool evaluateSettingsReply(QNetworkReply* reply, bool failed);
    void failChange(Ulx::MultimediaTypes::StreamConfigError error);
    void restartStreamAfterFailedChange();

    Ulx::Multimedia::CRTSPVideoStreamerLogic* m_streamerLogic = nullptr;
    QNetworkAccessManager* m_manager = nullptr;
    QBasicTimer m_restartTimer;
    quint32 m_exchangeState = ExchangeIdle;
    bool m_versionQueryPending = false;
    bool m_changeSupported = false;

    // The request under way, for the transfer time-out.
    QPointer<QNetworkReply> m_pendingReply;
    QBasicTimer m_transferTimer;
    // A failed change found the stream still stopping: it is started again (and the change
    // flag cleared) once it has stopped, so that the session does not take the stop for a loss.
    bool m_restartWhenStopped = false;
    int m_restartDelay = DefaultRestartDelay;
    int m_transferTimeout = DefaultTransferTimeout;
};

} // namespace Multimedia
} // namespace Ulx
