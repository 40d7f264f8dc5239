#pragma once

#include "TransferWatchdog.h"

#include <QtGlobal>

class QNetworkReply;
class QNetworkRequest;

namespace Ulx {
namespace Communication {

// The answers of a camera system's HTTP peers (the camera's CGI interface, the encoder and
// overlay boards) are read whole once they have ended, so each is held to a size fit for its
// kind while it arrives, and to the limits of the web client's transfer watchdog where no
// deadline of the caller's own bounds its wait. GUI thread only.

// Asks for the answer as the peer keeps it: a compressed one would be unpacked ahead of every
// bound, and its length would say nothing about what it unpacks to.
void askForStoredAnswer(QNetworkRequest* request);

// Qt takes in no more than one byte past maximumBytes ahead of the reader; an answer that
// announces or brings more is refused with a log line (the reply ends with
// OperationCanceledError, Tovrin::Shared::TransferWatchdog::refused() tells it), and one that
// waits, stalls or trickles beyond the limits is given up (TransferWatchdog::timedOut()).
void boundPeerAnswer(QNetworkReply* reply, qint64 maximumBytes, const Tovrin::Shared::TransferLimits& limits);
// The same for a request whose caller ends it at a deadline of its own: the size only.
void boundPeerAnswer(QNetworkReply* reply, qint64 maximumBytes);
// Whether an answer held whole until its end, and ended without an error, holds fewer bytes than
// its head announced: Qt may take a connection closed inside the body for the body's end. Says
// why in the log when it does.
bool answerCutShort(const QNetworkReply* reply);
// Whether a line answer (a status list, say) that came without a length, its end being the
// peer's close, was cut there: each line of a whole one ends with its line feed. Says why in the
// log when it was.
bool linesCutShort(const QNetworkReply* reply, const QByteArray& body);

} // namespace Communication
} // namespace Ulx
