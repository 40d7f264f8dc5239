#pragma once

// Control requests from a test to its simulator's own routes: each waits with a bound, and a
// peer that lets one run into it is marked, so that later requests fail at once.

#include "PeerProcess.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSignalSpy>
#include <QUrl>

namespace PeerControl {

// Waits for the reply within the bound; false (and the peer marked) when it did not finish.
inline bool finishes(PeerProcess& peer, QNetworkReply* reply)
{
    QSignalSpy finished(reply, &QNetworkReply::finished);
    const bool done = reply->isFinished() || finished.wait(10000);
    if (!done)
        peer.markNotAnswering();
    return done;
}

// The body of a successful GET, empty otherwise.
inline QByteArray get(PeerProcess& peer, const QUrl& url)
{
    if (!peer.isAnswering())
        return QByteArray();
    QNetworkAccessManager manager;
    QNetworkReply* reply = manager.get(QNetworkRequest(url));
    const bool done = finishes(peer, reply);
    const QByteArray body = done && reply->error() == QNetworkReply::NoError ? reply->readAll() : QByteArray();
    delete reply;
    return body;
}

// Whether a JSON POST succeeded.
inline bool post(PeerProcess& peer, const QUrl& url, const QJsonObject& body)
{
    if (!peer.isAnswering())
        return false;
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    QNetworkReply* reply = manager.post(request, QJsonDocument(body).toJson(QJsonDocument::Compact));
    const bool ok = finishes(peer, reply) && reply->error() == QNetworkReply::NoError;
    delete reply;
    return ok;
}

} // namespace PeerControl
