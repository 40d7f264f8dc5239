#include "mediaimport/CMediaScanScreenController.h"

#include "mediaimport/CMediaImportService.h"
#include "mediaimport/CMediaScan.h"

#include "application/CAppRuntimeData.h"
#include "application/CApplication.h"
#include "application/PathHelpers.h"
#include "gallery/CFileListSelectionModel.h"
#include "messages/CErrorMessageHelper.h"
#include "surveyprojects/SurveyHelpers.h"

#include "CTranslator.h"

namespace {

const QString TranslationContext = QStringLiteral("Ombrastella.Zephira.App.MediaScanScreenController");

QString text(const QString& key, const QString& english)
{
    if (const Tovrin::Translation::CTranslator* translator = CErrorMessageHelper::translator())
        return translator->txt(TranslationContext, key, english);
    return english;
}

CApplication* application()
{
    return qobject_cast<CApplication*>(QCoreApplication::instance());
}

CAppRuntimeData* runtimeData()
{
    return application() ? application()->appRuntimeData() : nullptr;
}

CMediaImportService* importService()
{
    return application() ? application()->mediaImportService() : nullptr;
}

} // namespace

CMediaScanScreenController::CMediaScanScreenController(QObject* parent)
    : QObject(parent)
    , m_selectionModel(new CFileListSelectionModel(this))
{
    connect(m_selectionModel, &CBaseSelectionModel::selectionCountChanged, this,
            &CMediaScanScreenController::selectionCountChanged);
    updateScanPossible();
    updateScanResultText();
}

CMediaScanScreenController::~CMediaScanScreenController()
{
    if (m_scan)
        disconnect(m_scan.get(), nullptr, this, nullptr);
}

bool CMediaScanScreenController::operationInProgress() const
{
    return m_scan && m_scan->result() == CMediaScan::NotAvailable;
}

int CMediaScanScreenController::selectionCount() const
{
    return m_selectionModel->selectionCount();
}

QAbstractListModel* CMediaScanScreenController::selectionModel() const
{
    return m_selectionModel;
}

void CMediaScanScreenController::setSearchFolder(const QString& folder)
{
    if (folder == m_searchFolder)
        return;
    m_searchFolder = folder;
    emit searchFolderChanged();
    folderChanged();
}

void CMediaScanScreenController::setPhotoFolder(const QString& folder)
{
    if (folder == m_photoFolder)
        return;
    m_photoFolder = folder;
    emit photoFolderChanged();
    folderChanged();
}

void CMediaScanScreenController::setVideoFolder(const QString& folder)
{
    if (folder == m_videoFolder)
        return;
    m_videoFolder = folder;
    emit videoFolderChanged();
    folderChanged();
}

void CMediaScanScreenController::folderChanged()
{
    m_mediaOutsideProject = false;
    m_destFiles.clear();
    m_foundFileStates.clear();
    m_selectionModel->clearFileList();
    updateScanPossible();
    updateScanResultText();
}

bool CMediaScanScreenController::projectSelected() const
{
    const CAppRuntimeData* data = runtimeData();
    return data && data->projectSelected();
}

void CMediaScanScreenController::updateScanPossible()
{
    const bool possible = projectSelected()
        ? !m_searchFolder.isEmpty()
        : !m_searchFolder.isEmpty() && !m_photoFolder.isEmpty() && !m_videoFolder.isEmpty();
    if (possible == m_scanPossible)
        return;
    m_scanPossible = possible;
    emit scanPossibleChanged();
}

void CMediaScanScreenController::updateScanResultText(bool duplicatesFound)
{
    QString result;
    if (duplicatesFound)
        result = text(QStringLiteral("DuplicatesFound"),
                      QStringLiteral("The scan returned one or more files with the same name.\nPlease narrow down the "
                                     "search folder to avoid this and try again."));
    else if (m_mediaOutsideProject)
        result = text(QStringLiteral("MediaOutsideProject"),
                      QStringLiteral("Some photos or videos of the project lie outside the project folder.\nThey "
                                     "are not imported."));
    else if (m_destFiles.isEmpty())
        result = text(QStringLiteral("NoMediaFound"), QStringLiteral("No media to import found."));
    if (result == m_scanResultText)
        return;
    m_scanResultText = result;
    emit scanResultTextChanged();
}

bool CMediaScanScreenController::startScan()
{
    // The current project may have been chosen since the folders were set.
    updateScanPossible();
    CMediaImportService* service = importService();
    if (!m_scanPossible || operationInProgress() || !service)
        return false;
    std::shared_ptr<CMediaScan> scan;
    const CAppRuntimeData* data = runtimeData();
    if (data && data->projectSelected() && data->currentProject()) {
        const QStringList matchFiles =
            projectMediaFilePaths(*data->currentProject(), ensureTrailingSlash(data->currentProjectPath()));
        // The paths leading out of the project folder are left out; the operator is told.
        m_mediaOutsideProject = matchFiles.size() < projectMediaFilePaths(*data->currentProject(), QString()).size();
        scan = service->createScan(m_searchFolder, matchFiles);
    } else {
        m_mediaOutsideProject = false;
        scan = service->createScan(m_searchFolder, m_photoFolder, m_videoFolder);
    }
    if (m_scan)
        disconnect(m_scan.get(), nullptr, this, nullptr);
    m_scan = scan;
    connect(m_scan.get(), &CMediaScan::finished, this, &CMediaScanScreenController::onScanFinished);
    emit operationInProgressChanged();
    m_selectionModel->clearFileList();
    return true;
}

void CMediaScanScreenController::cancelScan()
{
    if (!operationInProgress())
        return;
    // Shown until the scan reports its end.
    if (!m_cancelInProgress) {
        m_cancelInProgress = true;
        emit cancelInProgressChanged();
    }
    m_scan->cancel();
}

void CMediaScanScreenController::selectAll()
{
    m_selectionModel->selectAll();
}

void CMediaScanScreenController::selectNone()
{
    m_selectionModel->clearSelection();
}

QStringList CMediaScanScreenController::querySourceFiles() const
{
    return m_selectionModel->selectedFiles();
}

QStringList CMediaScanScreenController::queryDestFiles() const
{
    QStringList files;
    const QList<int> rows = m_selectionModel->selectedRows();
    for (int row : rows) {
        if (row < m_destFiles.size())
            files.append(m_destFiles.at(row));
    }
    return files;
}

QStringList CMediaScanScreenController::queryOverwriteableFiles() const
{
    QStringList files;
    const QList<int> rows = m_selectionModel->selectedRows();
    for (int row : rows) {
        if (row < m_destFiles.size() && row < m_foundFileStates.size() && m_foundFileStates.at(row))
            files.append(m_destFiles.at(row));
    }
    return files;
}

void CMediaScanScreenController::dropScan()
{
    if (!m_scan)
        return;
    disconnect(m_scan.get(), nullptr, this, nullptr);
    m_scan.reset();
    emit operationInProgressChanged();
}

void CMediaScanScreenController::onScanFinished()
{
    const std::shared_ptr<CMediaScan> scan = m_scan;
    if (!scan)
        return;
    dropScan();
    if (m_cancelInProgress) {
        m_cancelInProgress = false;
        emit cancelInProgressChanged();
    }
    m_destFiles.clear();
    m_foundFileStates.clear();

    switch (scan->result()) {
    case CMediaScan::FailedDuplicatesFound:
        updateScanResultText(true);
        return;
    case CMediaScan::Success:
        break;
    default:
        updateScanResultText();
        return;
    }

    m_foundFileStates = scan->foundFileStates();
    m_destFiles = scan->destFiles();
    QSet<int> preselected;
    for (int row = 0; row < m_foundFileStates.size(); ++row) {
        if (!m_foundFileStates.at(row))
            preselected.insert(row);
    }
    m_selectionModel->setFileList(scan->foundFiles(), m_foundFileStates);
    m_selectionModel->setSelection(preselected);
    updateScanResultText();
}
