#pragma once

#include "flavors/SystemAddresses.h"
#include "multimedia/CAbstractVideoStreamConfigLogic.h"

#include <QBasicTimer>
#include <QPointer>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;
class QTimerEvent;

namespace Ulx {
namespace Multimedia {

class CRTSPVideoStreamerLogic;

// What the stream configuration logics of the encoder boards share: a change stops the live
// stream, sends the board its new mode, reads the mode back, waits for the board to settle and
// starts the stream again; a change that fails brings the picture back in the old mode. The
// boards differ only in how a request and its answer look, which the subclasses supply.
//
// Ownership: the session owns this logic; the streamer logic is the library's. Each exchange
// (a query, or a change with its read-back) has a network access manager of its own, created
// without a parent and released with deleteLater when the exchange ends. GUI thread only.
class CEncoderBoardStreamConfigLogic : public CAbstractVideoStreamConfigLogic
{
    Q_OBJECT

public:
    enum ExchangeState : quint32
    {
        ExchangeIdle = 0,
        ExchangeChangeSent = 1,
        ExchangeReadingBack = 2,
        ExchangeWaitingBeforeRestart = 3,
        ExchangeWaitingForStream = 4
    };

    // The boards answer with a few lines of JSON or a small web page; a longer answer is given up.
    static constexpr qint64 MaximumAnswerBytes = 1024 * 1024;

    ~CEncoderBoardStreamConfigLogic() override;

    void changeActiveConfig(Ulx::MultimediaTypes::VideoConfig config) override;
    void reset() override;

    quint32 exchangeState() const { return m_exchangeState; }

    // Tests shorten the waits.
    void setRestartDelay(int milliseconds) { m_restartDelay = milliseconds; }
    void setTransferTimeout(int milliseconds) { m_transferTimeout = milliseconds; }

protected:
    CEncoderBoardStreamConfigLogic(Ulx::Multimedia::CRTSPVideoStreamerLogic* streamerLogic,
                                   Ulx::Flavors::SystemHost board, int restartDelay, int transferTimeout);

    // The board's part of a change: the request that sets the mode, the one that reads it back.
    virtual void sendChange(Ulx::MultimediaTypes::VideoConfig config) = 0;
    virtual void sendSettingsQuery() = 0;
    virtual Ulx::MultimediaTypes::VideoConfig parseSettings(const QByteArray& body) = 0;
    // An answer while no change is under way: the board's own query sequence.
    virtual void onQueryReplyFinished(QNetworkReply* reply, bool failed) = 0;
    // Why a change request failed; a time-out unless the board tells more.
    virtual Ulx::MultimediaTypes::StreamConfigError changeFailure(QNetworkReply* reply, bool timedOut) const;
    virtual void onManagerCreated(QNetworkAccessManager* manager);
    // A change has ended, however it ended.
    virtual void onChangeEnded() {}
    virtual void resetBoardState() {}

    // Starts a query exchange unless an exchange is under way; false when one is.
    bool beginQuery();
    QNetworkRequest request(const QString& urlTemplate) const;
    // Follows the request under way with the transfer time-out and holds its answer to
    // MaximumAnswerBytes.
    void track(QNetworkReply* reply);
    void releaseManager();
    // Reads the settings answer into the active configuration; false (with the error
    // emitted) when the request failed.
    bool evaluateSettingsReply(QNetworkReply* reply, bool failed);
    QNetworkAccessManager* manager() const { return m_manager; }

    void timerEvent(QTimerEvent* event) override;

private:
    void createManager();
    void onReplyFinished(QNetworkReply* reply);
    void onStreamerStateChanged();
    void restartStreamAfterFailedChange();
    void restartAfterPause();
    void endChange();

    Ulx::Multimedia::CRTSPVideoStreamerLogic* m_streamerLogic = nullptr;
    const Ulx::Flavors::SystemHost m_board;
    QNetworkAccessManager* m_manager = nullptr;
    QBasicTimer m_restartTimer;
    quint32 m_exchangeState = ExchangeIdle;

    // The request under way, for the transfer time-out; a request cut off by it is a time-out,
    // not a refusal by the board.
    QPointer<QNetworkReply> m_pendingReply;
    QBasicTimer m_transferTimer;
    bool m_timedOut = false;
    // A failed change found the stream still stopping: it is started again (and the change
    // flag cleared) once it has stopped, so that the session does not take the stop for a loss.
    bool m_restartWhenStopped = false;
    int m_restartDelay;
    int m_transferTimeout;
};

} // namespace Multimedia
} // namespace Ulx
