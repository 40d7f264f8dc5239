#pragma once

#include "TovrinWebTypes.h"

#include <QObject>
#include <QStringList>

namespace Tovrin {
namespace Web {

class WebCommunicator;

// One download job of the web worker: fetches one body into one local file and reports by
// signals that carry its download id. Created by the worker on its thread with the worker as
// parent; the communicator is not owned.
class AbstractDownload : public QObject
{
    Q_OBJECT

public:
    AbstractDownload(WebCommunicator* communicator, uint downloadId, QObject* parent = nullptr);

    uint downloadId() const { return m_downloadId; }

signals:
    void totalDownloadProgressChanged(uint downloadId, int filesCompleted, int filesTotal, int progress,
                                      QStringList currentDownloadFiles);
    void fileDownloadProgressChanged(uint downloadId, QString fileName, int progress);
    void downloadCompleted(uint downloadId);
    void errorOccurred(uint downloadId, Tovrin::Web::Error error);

public slots:
    virtual void start() = 0;
    virtual void abort() = 0;
    virtual void resume() = 0;
    virtual void pause() = 0;

protected:
    WebCommunicator* m_communicator = nullptr;
    uint m_downloadId = 0;
};

} // namespace Web
} // namespace Tovrin
