#pragma once

#include "multimedia/CAbstractVideoStreamConfigLogic.h"

#include <QBasicTimer>
#include <QByteArray>
#include <QPointer>
#include <QString>

class QAuthenticator;
class QNetworkAccessManager;
class QNetworkReply;
class QTimerEvent;

namespace Ulx {
namespace Multimedia {

class CRTSPVideoStreamerLogic;

// The stream configuration logic of ZPX systems, whose encoder board has a small web server
// behind HTTP authentication: the firmware version comes from its index page, the image size
// and frame rate from a settings page, and a change is a posted form, with the live stream
// stopped before and started again afterwards.
//
// Ownership: the session owns this logic; the streamer logic is the library's. Each exchange
// has a network access manager of its own, created without a parent and released with
// deleteLater when the exchange ends. GUI thread only.
class CZPXVideoStreamConfigLogic : public CAbstractVideoStreamConfigLogic
{
    Q_OBJECT

public:
    static constexpr int DefaultRestartDelay = 8000;
    // Beyond the slowest page the board serves while it switches its encoder.
    static constexpr int DefaultTransferTimeout = 8000;

    enum ExchangeState : quint32
    {
        ExchangeIdle = 0,
        ExchangeFormPosted = 1,
        ExchangeReadingBack = 2,
        ExchangeWaitingBeforeRestart = 3,
        ExchangeWaitingForStream = 4
    };

    explicit CZPXVideoStreamConfigLogic(Ulx::Multimedia::CRTSPVideoStreamerLogic* streamerLogic);
    ~CZPXVideoStreamConfigLogic() override;

    void queryActiveConfig() override;
    void changeActiveConfig(Ulx::MultimediaTypes::VideoConfig config) override;
    bool supportsConfigChange() const override;
    void reset() override;

    int firmwareMajor() const { return m_firmwareMajor; }
    int firmwareMinor() const { return m_firmwareMinor; }
    quint32 exchangeState() const { return m_exchangeState; }

    // Tests shorten the waits.
    void setRestartDelay(int milliseconds) { m_restartDelay = milliseconds; }
    void setTransferTimeout(int milliseconds) { m_transferTimeout = milliseconds; }

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void onReplyFinished(QNetworkReply* reply);
    void onAuthenticationRequired(QNetworkReply* reply, QAuthenticator* authenticator);
    void onStreamerStateChanged();

    void createManager();
    void releaseManager();
    void send(const QString& urlTemplate, const QByteArray* formBody = nullptr);
    bool evaluateSettingsReply(QNetworkReply* reply, bool failed);
    void restartStreamAfterFailedChange();

    Ulx::Multimedia::CRTSPVideoStreamerLogic* m_streamerLogic = nullptr;
    QBasicTimer m_restartTimer;
    QNetworkAccessManager* m_manager = nullptr;
    qint32 m_firmwareMajor = 0;
    qint32 m_firmwareMinor = 0;
    quint32 m_exchangeState = ExchangeIdle;
    // 0 nothing answered yet, 2 first credentials given, 1 second credentials given.
    quint32 m_authenticationStep = 0;
    bool m_indexPagePending = false;

    // The request under way, for the transfer time-out; a request cut off by it is a time-out,
    // not a refused log-in.
    QPointer<QNetworkReply> m_pendingReply;
    QBasicTimer m_transferTimer;
    bool m_timedOut = false;
    // A failed change found the stream still stopping: it is started again (and the change
    // flag cleared) once it has stopped, so that the session does not take the stop for a loss.
    bool m_restartWhenStopped = false;
    int m_restartDelay = DefaultRestartDelay;
    int m_transferTimeout = DefaultTransferTimeout;
};

} // namespace Multimedia
} // namespace Ulx
