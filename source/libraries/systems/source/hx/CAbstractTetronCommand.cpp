#include "hx/CAbstractTetronCommand.h"

#include "communication/PeerAnswers.h"
#include "hx/ITetronCommandHook.h"

#include <QMetaEnum>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace Ulx {
namespace Communication {

CAbstractTetronCommand::CAbstractTetronCommand(Type type)
    : QObject(nullptr)
    , m_type(type)
{
}

CAbstractTetronCommand::~CAbstractTetronCommand()
{
    // A command deleted with its request in flight (runner destroyed) takes the reply along.
    if (m_reply) {
        disconnect(m_reply, nullptr, this, nullptr);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

void CAbstractTetronCommand::setNetworkReply(QNetworkReply* reply)
{
    m_reply = reply;
    connectNetworkReply(reply);
}

void CAbstractTetronCommand::complete()
{
    if (!m_hook || !m_hook->commandFinished(this))
        emit finished();
}

CAbstractTetronCommand::Result CAbstractTetronCommand::resultFromStatus(int status)
{
    if (status == 0)
        return Success;
    if (status == 712)
        return LoginRequired;
    return InternalError;
}

QString CAbstractTetronCommand::typeName(Type type)
{
    return QString::fromLatin1(QMetaEnum::fromType<Type>().valueToKey(type));
}

QString CAbstractTetronCommand::resultName(Result result)
{
    return QString::fromLatin1(QMetaEnum::fromType<Result>().valueToKey(result));
}

void CAbstractTetronCommand::reset()
{
    m_reply = nullptr;
    m_result = None;
}

void CAbstractTetronCommand::connectNetworkReply(QNetworkReply* reply)
{
    if (reply)
        connect(reply, &QNetworkReply::finished, this, &CAbstractTetronCommand::onNetworkReplyFinished);
}

void CAbstractTetronCommand::abort()
{
    m_result = Aborted;
    if (m_reply) {
        QNetworkReply* reply = m_reply;
        m_reply = nullptr;
        disconnect(reply, nullptr, this, nullptr);
        reply->abort();
        reply->deleteLater();
    }
    complete();
}

void CAbstractTetronCommand::onNetworkReplyFinished()
{
    QNetworkReply* reply = m_reply;
    if (!reply)
        return;
    // Cleared first: processing may complete the command, and the runner may abort or release
    // it from there.
    m_reply = nullptr;
    disconnect(reply, nullptr, this, nullptr);
    reply->deleteLater();
    if (answerCutShort(reply)) {
        setResult(NetworkError);
        complete();
        return;
    }
    processNetworkReply(reply);
}

void CAbstractTetronCommand::sendRequest(QNetworkAccessManager* manager, const QString& url, bool manualCookies)
{
    QNetworkRequest request(QUrl(url, QUrl::TolerantMode));
    if (manualCookies)
        request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    askForStoredAnswer(&request);
    QNetworkReply* reply = manager->get(request);
    boundPeerAnswer(reply, answerLimit(), m_transferLimits);
    setNetworkReply(reply);
}

CAbstractTetronCommand::Result CAbstractTetronCommand::readStatusLines(QNetworkReply* reply, QList<QByteArray>* lines)
{
    lines->clear();
    if (reply->error() != QNetworkReply::NoError)
        return NetworkError;
    const QByteArray body = reply->readAll();
    if (linesCutShort(reply, body))
        return NetworkError;
    const QList<QByteArray> parts = body.split('\n');
    for (QByteArray part : parts) {
        if (part.endsWith('\r'))
            part.chop(1);
        lines->append(part);
    }
    if (lines->size() < 2)
        return InternalError;
    bool ok = false;
    const int status = lines->first().toInt(&ok, 10);
    // A page that is not a status answer (an error page, say) is no success.
    if (!ok)
        return InternalError;
    return resultFromStatus(status);
}

} // namespace Communication
} // namespace Ulx
