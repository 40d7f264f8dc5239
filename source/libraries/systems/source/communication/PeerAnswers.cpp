#include "communication/PeerAnswers.h"

#include "CLogger.h"

#include <QNetworkReply>
#include <QNetworkRequest>

namespace Ulx {
namespace Communication {

namespace {

const QString kCategory = QStringLiteral("UlxSystemsLibrary");

void refuseWhenTooLarge(QNetworkReply* reply, qint64 maximumBytes)
{
    using Tovrin::Shared::TransferWatchdog;
    if (reply->isFinished() || TransferWatchdog::refused(reply))
        return;
    bool announced = false;
    const qint64 length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&announced);
    if (announced && length > maximumBytes) {
        TransferWatchdog::refuse(reply,
                                 QStringLiteral("Answer of %1 bytes announced by %2, more than the %3 it may have; given up.")
                                     .arg(length)
                                     .arg(reply->url().toString(QUrl::RemoveQuery))
                                     .arg(maximumBytes),
                                 kCategory);
    } else if (reply->bytesAvailable() > maximumBytes) {
        TransferWatchdog::refuse(reply,
                                 QStringLiteral("Answer of %1 longer than the %2 bytes it may have; given up.")
                                     .arg(reply->url().toString(QUrl::RemoveQuery))
                                     .arg(maximumBytes),
                                 kCategory);
    }
}

} // namespace

void askForStoredAnswer(QNetworkRequest* request)
{
    request->setRawHeader(QByteArrayLiteral("Accept-Encoding"), QByteArrayLiteral("identity"));
}

void boundPeerAnswer(QNetworkReply* reply, qint64 maximumBytes, const Tovrin::Shared::TransferLimits& limits)
{
    if (!reply)
        return;
    Tovrin::Shared::TransferWatchdog::watch(reply, limits, kCategory);
    // Nothing is read before the answer has ended: all of it waits in the reply, which stops
    // taking from the peer one byte past the bound (the watchdog keeps this size for a request
    // with a body too).
    reply->setReadBufferSize(maximumBytes + 1);
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply,
                     [reply, maximumBytes] { refuseWhenTooLarge(reply, maximumBytes); });
    QObject::connect(reply, &QNetworkReply::readyRead, reply,
                     [reply, maximumBytes] { refuseWhenTooLarge(reply, maximumBytes); });
}

bool answerCutShort(const QNetworkReply* reply)
{
    bool announced = false;
    const qint64 length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&announced);
    // An encoded answer's length counts the encoded bytes, not those the reply holds.
    if (reply->error() != QNetworkReply::NoError || !announced
        || !Tovrin::Shared::TransferWatchdog::contentEncoding(reply).isEmpty() || reply->bytesAvailable() >= length)
        return false;
    Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelError, kCategory,
                                         QStringLiteral("Answer of %1 cut short: %2 of the %3 bytes announced.")
                                             .arg(reply->url().toString(QUrl::RemoveQuery))
                                             .arg(reply->bytesAvailable())
                                             .arg(length));
    return true;
}

bool linesCutShort(const QNetworkReply* reply, const QByteArray& body)
{
    // A length or chunks frame the answer themselves; only a close can end one part way unseen.
    if (reply->header(QNetworkRequest::ContentLengthHeader).isValid() || reply->hasRawHeader("Transfer-Encoding")
        || body.endsWith('\n'))
        return false;
    Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelError, kCategory,
                                         QStringLiteral("Answer of %1 without a length cut short: its last line has no end.")
                                             .arg(reply->url().toString(QUrl::RemoveQuery)));
    return true;
}

void boundPeerAnswer(QNetworkReply* reply, qint64 maximumBytes)
{
    // Limits that are all off leave the wait to the caller.
    boundPeerAnswer(reply, maximumBytes, Tovrin::Shared::TransferLimits{0, 0, 0, 0});
}

} // namespace Communication
} // namespace Ulx
