#pragma once

#include "gallery/CDeletionRunnable.h"

#include <QAbstractListModel>
#include <QObject>

class CSimpleGalleryModel;

// Backs the simple gallery screen: the photos, videos and sub-folders of a local folder, and
// the deletion of the ticked ones on the global thread pool. Owns its model; GUI thread only.
class CSimpleGalleryScreenController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QAbstractListModel* galleryModel READ galleryModel CONSTANT)
    Q_PROPERTY(QString directory READ directory WRITE setDirectory NOTIFY directoryChanged)
    Q_PROPERTY(QString topLevelDirectory READ topLevelDirectory WRITE setTopLevelDirectory NOTIFY
                   topLevelDirectoryChanged)
    Q_PROPERTY(int selectionCount READ selectionCount NOTIFY selectionCountChanged)
    Q_PROPERTY(bool processing READ processing NOTIFY processingChanged)

public:
    explicit CSimpleGalleryScreenController(QObject* parent = nullptr);
    ~CSimpleGalleryScreenController() override;

    QAbstractListModel* galleryModel() const;
    QString directory() const;
    void setDirectory(const QString& directory);
    QString topLevelDirectory() const;
    void setTopLevelDirectory(const QString& directory);
    int selectionCount() const;
    bool processing() const;

    // Used for the file removals of every later deletion; tests make removals fail with it.
    void setFileRemover(CDeletionRunnable::RemoveFunction remover);

    Q_INVOKABLE void clearSelection();
    Q_INVOKABLE void selectAll();
    Q_INVOKABLE void updateModel();
    Q_INVOKABLE void goUp();
    Q_INVOKABLE void deleteSelectedItems();

public slots:
    void onDeletionRunnableFinished(bool result);

signals:
    void directoryChanged();
    void topLevelDirectoryChanged();
    void selectionCountChanged();
    void processingChanged();
    void itemDeletionFailed();

private:
    void setProcessing(bool processing);

    CSimpleGalleryModel* m_model;
    bool m_processing = false;
    CDeletionRunnable::RemoveFunction m_fileRemover;
};
