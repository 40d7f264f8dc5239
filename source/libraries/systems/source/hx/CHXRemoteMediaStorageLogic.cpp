#include "hx/CHXRemoteMediaStorageLogic.h"

#include "IStorageProvider.h"
#include "hx/CDeleteFileCommand.h"
#include "hx/CGetCameraInfoCommand.h"
#include "hx/CGetFileInfoCommand.h"
#include "hx/CGetThumbnailCommand.h"
#include "hx/CHXMediaDownload.h"
#include "hx/ITetronCommandRunner.h"
#include "hx/TetronValueTables.h"
#include "multimedia/CRemoteMediaDataStorage.h"

#include "CLogger.h"

namespace Ulx {
namespace Multimedia {

using Communication::CAbstractTetronCommand;

CHXRemoteMediaStorageLogic::CHXRemoteMediaStorageLogic(IStorageProvider* storageProvider,
                                                       Communication::ITetronCommandRunner* commandRunner)
    : m_storageProvider(storageProvider)
    , m_commandRunner(commandRunner)
{
}

CHXRemoteMediaStorageLogic::~CHXRemoteMediaStorageLogic() = default;

CRemoteMediaDataStorage* CHXRemoteMediaStorageLogic::storage() const
{
    return m_storageProvider->remoteMediaDataStorage();
}

void CHXRemoteMediaStorageLogic::requestFileList()
{
    if (storage()->fileListState() == RemoteMediaTypes::FileListStateUpdating || !m_fileListOutdated)
        return;
    storage()->setFileListState(RemoteMediaTypes::FileListStateUpdating);
    storage()->setRemoteFiles({});
    auto* command = new Communication::CGetCameraInfoCommand({Communication::TetronTables::ParameterTotalFileNumber});
    connect(command, &CAbstractTetronCommand::finished, this, &CHXRemoteMediaStorageLogic::onFileCountCommandFinished);
    m_commandRunner->enqueueCommand(command);
}

void CHXRemoteMediaStorageLogic::onFileCountCommandFinished()
{
    auto* command = qobject_cast<Communication::CGetCameraInfoCommand*>(sender());
    if (!command)
        return;
    const QHash<int, QVariant> values = command->values();
    const auto count = values.constFind(Communication::TetronTables::ParameterTotalFileNumber);
    if (command->result() != CAbstractTetronCommand::Success || count == values.constEnd()) {
        storage()->setFileListState(RemoteMediaTypes::FileListStateError);
        return;
    }
    const int n = count.value().toInt();
    if (n <= 0) {
        m_fileListOutdated = false;
        storage()->setFileListState(RemoteMediaTypes::FileListStateReady);
        return;
    }
    auto* list = new Communication::CGetFileInfoCommand(0, n);
    connect(list, &CAbstractTetronCommand::finished, this, &CHXRemoteMediaStorageLogic::onFileInfoCommandFinished);
    m_commandRunner->enqueueCommand(list);
}

void CHXRemoteMediaStorageLogic::onFileInfoCommandFinished()
{
    auto* command = qobject_cast<Communication::CGetFileInfoCommand*>(sender());
    if (!command)
        return;
    if (command->result() != CAbstractTetronCommand::Success) {
        storage()->setFileListState(RemoteMediaTypes::FileListStateError);
        return;
    }
    m_fileListOutdated = false;
    storage()->setRemoteFiles(command->fileList());
    storage()->setFileListState(RemoteMediaTypes::FileListStateReady);
}

void CHXRemoteMediaStorageLogic::requestFileThumbnail(const QString& fileUrl)
{
    auto* command = new Communication::CGetThumbnailCommand(fileUrl);
    connect(command, &CAbstractTetronCommand::finished, this, &CHXRemoteMediaStorageLogic::onThumbnailCommandFinished);
    m_commandRunner->enqueueCommand(command);
}

void CHXRemoteMediaStorageLogic::onThumbnailCommandFinished()
{
    auto* command = qobject_cast<Communication::CGetThumbnailCommand*>(sender());
    if (!command)
        return;
    if (command->result() == CAbstractTetronCommand::Success)
        emit thumbnailReady(command->fileUrl(), command->image());
    else
        emit thumbnailRequestFailed(command->fileUrl());
}

std::shared_ptr<CAbstractMediaDownload> CHXRemoteMediaStorageLogic::downloadFiles(const QVector<CRemoteFileInfo>& files,
                                                                                  const QVector<QString>& targetPaths)
{
    if (files.isEmpty() || !mayUseTheCard(QStringLiteral("download")))
        return {};
    if (targetPaths.size() < files.size()) {
        Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelWarning, QStringLiteral("UlxSystemsLibrary"),
                                             QStringLiteral("[downloadFiles] Fewer target paths than files."), {});
        return {};
    }
    auto download = std::make_shared<CHXMediaDownload>(files, targetPaths);
    connect(download.get(), &CAbstractMediaDownload::finished, this, &CHXRemoteMediaStorageLogic::onDownloadFinished);
    storage()->setActiveDownload(download);
    download->start();
    return download;
}

void CHXRemoteMediaStorageLogic::onDownloadFinished()
{
    storage()->setActiveDownload({});
}

bool CHXRemoteMediaStorageLogic::mayUseTheCard(const QString& what) const
{
    // One operation at a time on the card; the operator's request is refused, and the log says why.
    QString cause;
    if (storage()->fileListState() == RemoteMediaTypes::FileListStateUpdating)
        cause = QStringLiteral("the camera's file list is being read or changed");
    else if (storage()->activeDownload())
        cause = QStringLiteral("a download is running");
    if (cause.isEmpty())
        return true;
    Tovrin::Logging::CLogger::logMessage(Tovrin::Logging::CLogger::LogLevelWarning, QStringLiteral("UlxSystemsLibrary"),
                                         QStringLiteral("The %1 on the camera is refused: %2.").arg(what, cause), {});
    return false;
}

bool CHXRemoteMediaStorageLogic::deleteFiles(const QStringList& fileUrls)
{
    if (fileUrls.isEmpty() || !mayUseTheCard(QStringLiteral("deletion")))
        return false;
    storage()->setFileListState(RemoteMediaTypes::FileListStateUpdating);
    m_workingFileList = storage()->remoteFiles();
    m_pendingDeletions = fileUrls.size();
    for (const QString& url : fileUrls) {
        auto* command = new Communication::CDeleteFileCommand(url);
        connect(command, &CAbstractTetronCommand::finished, this,
                &CHXRemoteMediaStorageLogic::onDeleteFileCommandFinished);
        m_commandRunner->enqueueCommand(command);
    }
    return true;
}

void CHXRemoteMediaStorageLogic::onDeleteFileCommandFinished()
{
    auto* command = qobject_cast<Communication::CDeleteFileCommand*>(sender());
    if (!command)
        return;
    if (command->result() == CAbstractTetronCommand::Success) {
        for (int i = 0; i < m_workingFileList.size(); ++i) {
            if (m_workingFileList.at(i).fileUrl() == command->fileUrl()) {
                m_workingFileList.remove(i);
                break;
            }
        }
    }
    if (--m_pendingDeletions <= 0) {
        m_pendingDeletions = 0;
        storage()->setRemoteFiles(m_workingFileList);
        m_workingFileList.clear();
        storage()->setFileListState(RemoteMediaTypes::FileListStateReady);
    }
}

} // namespace Multimedia
} // namespace Ulx
