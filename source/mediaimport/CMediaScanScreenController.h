#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QObject>
#include <QStringList>

#include <memory>

class CFileListSelectionModel;
class CMediaScan;

// The media scan screen: a search folder (and, without a current project, a photo and a video
// folder), the scan, and the found files in a tickable list; files whose destination exists
// start unticked. Owns its selection model; holds the running scan. GUI thread only.
class CMediaScanScreenController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool operationInProgress READ operationInProgress NOTIFY operationInProgressChanged)
    Q_PROPERTY(bool cancelInProgress READ cancelInProgress NOTIFY cancelInProgressChanged)
    Q_PROPERTY(bool scanPossible READ scanPossible NOTIFY scanPossibleChanged)
    Q_PROPERTY(int selectionCount READ selectionCount NOTIFY selectionCountChanged)
    Q_PROPERTY(QString searchFolder READ searchFolder WRITE setSearchFolder NOTIFY searchFolderChanged)
    Q_PROPERTY(QString photoFolder READ photoFolder WRITE setPhotoFolder NOTIFY photoFolderChanged)
    Q_PROPERTY(QString videoFolder READ videoFolder WRITE setVideoFolder NOTIFY videoFolderChanged)
    Q_PROPERTY(QString scanResultText READ scanResultText NOTIFY scanResultTextChanged)
    Q_PROPERTY(QAbstractListModel* selectionModel READ selectionModel CONSTANT)

public:
    explicit CMediaScanScreenController(QObject* parent = nullptr);
    ~CMediaScanScreenController() override;

    bool operationInProgress() const;
    bool cancelInProgress() const { return m_cancelInProgress; }
    bool scanPossible() const { return m_scanPossible; }
    int selectionCount() const;
    QString searchFolder() const { return m_searchFolder; }
    void setSearchFolder(const QString& folder);
    QString photoFolder() const { return m_photoFolder; }
    void setPhotoFolder(const QString& folder);
    QString videoFolder() const { return m_videoFolder; }
    void setVideoFolder(const QString& folder);
    QString scanResultText() const { return m_scanResultText; }
    QAbstractListModel* selectionModel() const;

    Q_INVOKABLE bool startScan();
    Q_INVOKABLE void cancelScan();
    Q_INVOKABLE void selectAll();
    Q_INVOKABLE void selectNone();
    // The three lists walk the ticked rows in ascending order, so entry n of each belongs to
    // the same file.
    Q_INVOKABLE QStringList querySourceFiles() const;
    Q_INVOKABLE QStringList queryDestFiles() const;
    Q_INVOKABLE QStringList queryOverwriteableFiles() const;

signals:
    void operationInProgressChanged();
    void cancelInProgressChanged();
    void scanPossibleChanged();
    void selectionCountChanged();
    void searchFolderChanged();
    void photoFolderChanged();
    void videoFolderChanged();
    void scanResultTextChanged();

private slots:
    void onScanFinished();

private:
    bool projectSelected() const;
    void folderChanged();
    void updateScanPossible();
    void updateScanResultText(bool duplicatesFound = false);
    void dropScan();

    std::shared_ptr<CMediaScan> m_scan;
    QString m_searchFolder;
    QString m_photoFolder;
    QString m_videoFolder;
    QString m_scanResultText;
    QStringList m_destFiles;
    QList<bool> m_foundFileStates;
    CFileListSelectionModel* m_selectionModel = nullptr;
    bool m_cancelInProgress = false;
    bool m_scanPossible = false;
    // The last scan left out project media whose paths lead out of the project folder.
    bool m_mediaOutsideProject = false;
};
