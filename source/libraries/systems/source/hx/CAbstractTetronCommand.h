#pragma once

#include "TransferWatchdog.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>

class QNetworkAccessManager;
#include <QNetworkReply>

namespace Ulx {
namespace Communication {

class ITetronCommandHook;

// One HTTP-CGI request to the Hoselux camera. A command reports its end once, through
// finished(); callers connect to it before handing the command to a runner, read the result in
// their slot and never keep the pointer (the runner releases the command with deleteLater).
// The reply in flight is released with deleteLater, never deleted directly. GUI thread only.
class CAbstractTetronCommand : public QObject
{
    Q_OBJECT

public:
    enum Type : qint32
    {
        Delay = 0,
        Login = 1,
        Logout = 2,
        GetCameraInfo = 3,
        GetCameraAlert = 4,
        GetFileInfo = 5,
        GetThumbnail = 6,
        SetDateTime = 7,
        SetTimestampingState = 8,
        SetLightFrequency = 9,
        SetVideoClipLength = 10,
        SetVideoCycling = 11,
        SetBuzzerVolume = 12,
        SetCameraAction = 13,
        SetCameraMode = 14,
        SetVideoResolution = 15,
        SetPhotoResolution = 16,
        SetTimelapseInterval = 17,
        SetWifiName = 18,
        SetWifiPassword = 19,
        DeleteFile = 20
    };
    Q_ENUM(Type)

    enum Result : qint32
    {
        None = 0,
        Success = 1,
        Aborted = 2,
        LoginRequired = 3,
        LoginNotAvailable = 4,
        NetworkError = 5,
        InternalError = 6
    };
    Q_ENUM(Result)

    explicit CAbstractTetronCommand(Type type);
    ~CAbstractTetronCommand() override;

    Type type() const { return m_type; }
    Result result() const { return m_result; }
    void setResult(Result result) { m_result = result; }
    ITetronCommandHook* hook() const { return m_hook; }
    void setHook(ITetronCommandHook* hook) { m_hook = hook; }
    void setNetworkReply(QNetworkReply* reply);

    // A request that waits, stalls or trickles beyond these ends as a network error.
    Tovrin::Shared::TransferLimits transferLimits() const { return m_transferLimits; }
    void setTransferLimits(const Tovrin::Shared::TransferLimits& limits) { m_transferLimits = limits; }

    // The most a status answer may bring: a few lines of "name=value".
    static constexpr qint64 MaximumStatusAnswerBytes = 64 * 1024;
    // The answer is held to this while it arrives; a longer one ends as a network error.
    virtual qint64 answerLimit() const { return MaximumStatusAnswerBytes; }

    // Emits finished() unless the hook takes the command over.
    void complete();

    // 0 is Success, 712 LoginRequired, every other number InternalError.
    static Result resultFromStatus(int status);

    static QString typeName(Type type);
    static QString resultName(Result result);

    virtual void reset();
    virtual void connectNetworkReply(QNetworkReply* reply);
    virtual void processNetworkReply(QNetworkReply* reply) = 0;
    virtual void abort();
    virtual bool isRepeatable() const { return true; }
    virtual void execute(QNetworkAccessManager* manager) = 0;

signals:
    void finished();

public slots:
    void onNetworkReplyFinished();

protected:
    QNetworkReply* networkReply() const { return m_reply; }

    // Sends a plain GET of the URL and keeps the reply.
    void sendRequest(QNetworkAccessManager* manager, const QString& url, bool manualCookies = false);

    // Reads a text reply's status line: a network error gives NetworkError; a body of fewer than
    // two lines, or a first line that is not a decimal number, gives InternalError; else the
    // status is mapped by resultFromStatus. Lines lose a trailing carriage return, so CR LF
    // answers read like LF answers. All lines (the status line first) go to *lines.
    static Result readStatusLines(QNetworkReply* reply, QList<QByteArray>* lines);

private:
    QPointer<QNetworkReply> m_reply;
    ITetronCommandHook* m_hook = nullptr;
    Type m_type;
    Result m_result = None;
    Tovrin::Shared::TransferLimits m_transferLimits{0, 0, 0, 0};
};

} // namespace Communication
} // namespace Ulx
