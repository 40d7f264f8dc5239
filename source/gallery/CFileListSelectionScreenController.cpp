#include "gallery/CFileListSelectionScreenController.h"

#include "gallery/CFileListSelectionModel.h"

CFileListSelectionScreenController::CFileListSelectionScreenController(QObject* parent)
    : QObject(parent)
    , m_model(new CFileListSelectionModel(this))
{
}

CFileListSelectionScreenController::~CFileListSelectionScreenController() = default;

QAbstractListModel* CFileListSelectionScreenController::selectionModel() const
{
    return m_model;
}

QStringList CFileListSelectionScreenController::fileList() const
{
    return m_model->fileList();
}

void CFileListSelectionScreenController::setFileList(const QStringList& files)
{
    m_model->setFileList(files);
    m_model->selectAll();
    emit fileListChanged();
}

QStringList CFileListSelectionScreenController::querySelectedFiles() const
{
    return m_model->selectedFiles();
}

QStringList CFileListSelectionScreenController::queryDeselectedFiles() const
{
    return m_model->deselectedFiles();
}
