#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace Ulx {
namespace Multimedia {

// One running download of files from the camera's storage; each family implements it.
class CAbstractMediaDownload : public QObject
{
    Q_OBJECT

public:
    CAbstractMediaDownload();
    ~CAbstractMediaDownload() override;

    // 0 running, 1 cancelled, 2 finished, 3 transmission failure, 4 local write failure, 5 the
    // local drive full.
    virtual int result() const = 0;
    virtual qint64 totalSize() const = 0;
    virtual int totalProgress() const = 0;
    virtual qint64 currentFileSize() const = 0;
    virtual int currentFileProgress() const = 0;
    virtual QString currentFileUrl() const = 0;
    virtual QStringList processedFiles() const = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    virtual void cancel() = 0;

    // The targets the operator chose to overwrite: each takes the place of what holds its name
    // once its file is complete. Any other target is never put over something that holds its
    // name. Given as soon as the download is made, before its first file can complete.
    void setReplaceableTargets(const QStringList& targets) { m_replaceableTargets = targets; }

signals:
    void finished();
    void totalProgressChanged();
    void currentFileProgressChanged();
    void currentFileUrlChanged();
    void currentFileSizeChanged();

protected:
    bool isReplaceable(const QString& target) const { return m_replaceableTargets.contains(target); }

private:
    QStringList m_replaceableTargets;
};

} // namespace Multimedia
} // namespace Ulx
