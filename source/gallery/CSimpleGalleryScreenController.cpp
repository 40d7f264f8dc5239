#include "gallery/CSimpleGalleryScreenController.h"

#include "gallery/CSimpleGalleryModel.h"

#include <QThreadPool>

CSimpleGalleryScreenController::CSimpleGalleryScreenController(QObject* parent)
    : QObject(parent)
    , m_model(new CSimpleGalleryModel(this))
{
    connect(m_model, &CSimpleGalleryModel::directoryChanged, this, &CSimpleGalleryScreenController::directoryChanged);
    connect(m_model, &CSimpleGalleryModel::topLevelDirectoryChanged, this,
            &CSimpleGalleryScreenController::topLevelDirectoryChanged);
    connect(m_model, &CSimpleGalleryModel::selectionCountChanged, this,
            &CSimpleGalleryScreenController::selectionCountChanged);
}

CSimpleGalleryScreenController::~CSimpleGalleryScreenController() = default;

QAbstractListModel* CSimpleGalleryScreenController::galleryModel() const
{
    return m_model;
}

QString CSimpleGalleryScreenController::directory() const
{
    return m_model->directory();
}

void CSimpleGalleryScreenController::setDirectory(const QString& directory)
{
    m_model->setDirectory(directory);
}

QString CSimpleGalleryScreenController::topLevelDirectory() const
{
    return m_model->topLevelDirectory();
}

void CSimpleGalleryScreenController::setTopLevelDirectory(const QString& directory)
{
    m_model->setTopLevelDirectory(directory);
}

int CSimpleGalleryScreenController::selectionCount() const
{
    return m_model->selectionCount();
}

bool CSimpleGalleryScreenController::processing() const
{
    return m_processing;
}

void CSimpleGalleryScreenController::setFileRemover(CDeletionRunnable::RemoveFunction remover)
{
    m_fileRemover = std::move(remover);
}

void CSimpleGalleryScreenController::clearSelection()
{
    m_model->clearSelection();
}

void CSimpleGalleryScreenController::selectAll()
{
    m_model->selectAll();
}

void CSimpleGalleryScreenController::updateModel()
{
    m_model->refresh();
}

void CSimpleGalleryScreenController::goUp()
{
    m_model->goUp();
}

void CSimpleGalleryScreenController::deleteSelectedItems()
{
    // The screen is disabled while a deletion runs; a second request would race the first.
    if (m_processing)
        return;
    setProcessing(true);
    QStringList folders;
    QStringList files;
    m_model->selectedPaths(folders, files);
    auto* runnable = new CDeletionRunnable(m_model->directory(), folders, files);
    if (m_fileRemover)
        runnable->setFileRemover(m_fileRemover);
    connect(runnable, &CDeletionRunnable::finished, this, &CSimpleGalleryScreenController::onDeletionRunnableFinished,
            Qt::QueuedConnection);
    QThreadPool::globalInstance()->start(runnable, 0);
}

void CSimpleGalleryScreenController::onDeletionRunnableFinished(bool result)
{
    m_model->refresh();
    setProcessing(false);
    if (!result)
        emit itemDeletionFailed();
}

void CSimpleGalleryScreenController::setProcessing(bool processing)
{
    if (processing == m_processing)
        return;
    m_processing = processing;
    emit processingChanged();
}
