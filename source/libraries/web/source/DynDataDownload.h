#pragma once

#include "AbstractDownload.h"

#include <QFile>
#include <QNetworkReply>
#include <QPointer>

namespace Tovrin {
namespace Web {

// Streams the body of one reply into the output file as it arrives. A download that does not end
// well (network or HTTP error, pause, abort, failed write) removes what it wrote: only a complete
// body is ever left on disk and reported as finished.
class DynDataDownload : public AbstractDownload
{
    Q_OBJECT

public:
    using AbstractDownload::AbstractDownload;
    ~DynDataDownload() override;

    // Creates the output folder and opens the file, emptied; false (with the error signalled) when
    // either fails.
    virtual bool prepareOutput(const QString& outputFilePath, const QString& source);

    QString outputFilePath() const { return m_outputFilePath; }
    bool isPaused() const { return m_paused; }
    bool isAborted() const { return m_aborted; }
    bool isRunning() const { return !m_reply.isNull(); }

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
    void discardOutput();

    QString m_outputFilePath;
    QString m_source;
    QFile m_outputFile;
    QByteArray m_buffer;
    QPointer<QNetworkReply> m_reply;
    bool m_paused = false;
    bool m_aborted = false;
    bool m_failed = false;
};

} // namespace Web
} // namespace Tovrin
