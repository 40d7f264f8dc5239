#pragma once

#include "AbstractDownload.h"

#include "NewCopyPublisher.h"

#include <QNetworkReply>
#include <QPointer>
#include <QTemporaryFile>

#include <functional>
#include <memory>

namespace Tovrin {
namespace Web {

// Streams the body of one reply into a hidden new file beside the output file as it arrives, and
// renames it over the output file once complete and synced (FileReplacement): a link standing at
// the output path is replaced, never written through. The sync and the rename run on the disk
// thread (NewCopyPublisher), so the web worker goes on with other requests meanwhile; the
// download is done (downloadCompleted) once the file has its name. A download that does not end
// well (network or HTTP error, an answer encoded in spite of the request, pause, abort, failed
// write) removes its new file and leaves the output path as it was: only a complete body is ever
// put there and reported as finished; a failure is told once its new file is gone.
class DynDataDownload : public AbstractDownload
{
    Q_OBJECT

public:
    using AbstractDownload::AbstractDownload;
    ~DynDataDownload() override;

    // Creates the output folder and the new file beside the output file; false (with the error
    // signalled) when either fails.
    virtual bool prepareOutput(const QString& outputFilePath, const QString& source);

    QString outputFilePath() const { return m_outputFilePath; }
    bool isPaused() const { return m_paused; }
    bool isAborted() const { return m_aborted; }
    bool isRunning() const { return !m_reply.isNull() || m_publisher->isPublishing() || m_discarding; }

    // Checks a body that came without a length (its end being the peer's close) before it takes
    // the output file's name: a reason it returns makes the download fail as one cut short.
    void setUnsizedCheck(std::function<QString(QFile&)> check) { m_unsizedCheck = std::move(check); }

    // The web client's error for a reply's network error.
    static Error errorFromNetworkError(QNetworkReply::NetworkError error);

public slots:
    void start() override;
    void abort() override;
    void resume() override;
    void pause() override;

protected:
    virtual QNetworkReply* requestData(const QString& source) = 0;

protected slots:
    void onNetworkReplyReadyRead();
    void onNetworkReplyFinished();

private:
    bool bodyIsAsStored(QNetworkReply* reply);
    // Stops the transfer, removes the new file and then tells the error.
    void fail(Error error);
    void completeOutput();
    void onOutputPublished(Tovrin::Shared::NewCopyPublisher::Outcome outcome, const QString& target,
                           const QString& detail);
    void discardOutput();

    QString m_outputFilePath;
    QString m_source;
    // The body as it arrives; it takes the output file's name once complete.
    std::unique_ptr<QTemporaryFile> m_newCopy;
    Tovrin::Shared::NewCopyPublisher* m_publisher = new Tovrin::Shared::NewCopyPublisher(this);
    QByteArray m_buffer;
    QPointer<QNetworkReply> m_reply;
    // Bytes of an error or redirect page read and dropped.
    qint64 m_pageBytes = 0;
    bool m_paused = false;
    bool m_aborted = false;
    bool m_failed = false;
    // A failed download's new file is being removed; its error comes once it is gone.
    bool m_discarding = false;
    std::function<QString(QFile&)> m_unsizedCheck;
    bool m_lengthAnnounced = false;
};

} // namespace Web
} // namespace Tovrin
