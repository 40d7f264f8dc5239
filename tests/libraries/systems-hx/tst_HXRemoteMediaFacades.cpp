// The remote-media facades of the systems library with the HX family's logics installed, on
// the camera simulator: storage state, file list, thumbnails and a download reach the user
// interface's side through the facades only.
#include "CameraSimulator.h"

#include "CUlxSystemsLibrary.h"
#include "CUlxSystemsLibraryPrivate.h"
#include "hx/CHXQueryLogic.h"
#include "hx/CHXRemoteMediaStorageLogic.h"
#include "hx/CTetronCommandRunner.h"
#include "hx/TetronCameraUrls.h"
#include "multimedia/CAbstractMediaDownload.h"
#include "multimedia/CRemoteMediaStorage.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace Ulx;
using namespace Ulx::Multimedia;

class tst_HXRemoteMediaFacades : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CameraSimulator> m_sim;
    std::unique_ptr<Communication::CTetronCommandRunner> m_runner;
    std::unique_ptr<Communication::CHXQueryLogic> m_query;
    std::unique_ptr<CHXRemoteMediaStorageLogic> m_storageLogic;

private slots:
    void init()
    {
        m_sim = std::make_unique<CameraSimulator>();
        if (!m_sim->start())
            QSKIP("python3 could not start the camera simulator");
        CUlxSystemsLibrary::initialize();
        CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
        m_runner = std::make_unique<Communication::CTetronCommandRunner>();
        m_query = std::make_unique<Communication::CHXQueryLogic>(m_runner.get(), library);
        m_query->setPollInterval(100);
        m_storageLogic = std::make_unique<CHXRemoteMediaStorageLogic>(library, m_runner.get());
        library->installLogics(nullptr, m_storageLogic.get(), nullptr, nullptr, nullptr);
    }

    void cleanup()
    {
        if (CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance()) {
            library->installLogics(nullptr, nullptr, nullptr, nullptr, nullptr);
            library->resetStorages();
        }
        if (m_query)
            m_query->stop(true);
        m_storageLogic.reset();
        m_query.reset();
        m_runner.reset();
        CUlxSystemsLibrary::finalize();
        m_sim.reset();
    }

    void facadesShowTheCamerasMedia()
    {
        CRemoteMediaStorage* storage = CUlxSystemsLibrary::remoteMediaStorage();
        QSignalSpy stateChanged(storage, &CRemoteMediaStorage::storageStateChanged);
        QSignalSpy listChanged(storage, &CRemoteMediaStorage::fileListChanged);
        QSignalSpy activeChanged(storage, &CRemoteMediaStorage::activeDownloadChanged);

        // The camera's polls fill the storage state.
        m_query->start();
        QTRY_VERIFY_WITH_TIMEOUT(stateChanged.count() >= 1, 15000);
        QVERIFY(storage->storageState() != RemoteMediaTypes::MediaStorageNotAvailable);
        QTRY_VERIFY_WITH_TIMEOUT(storage->remainingSize() > 0, 15000);

        storage->requestFileList();
        QTRY_VERIFY_WITH_TIMEOUT(listChanged.count() >= 1 && storage->fileListState() == RemoteMediaTypes::FileListStateReady
                                     && !storage->fileList().isEmpty(),
                                 15000);
        const QVector<CRemoteFileInfo> files = storage->fileList();

        QSignalSpy thumbnails(storage, &CRemoteMediaStorage::thumbnailReady);
        QSignalSpy missing(storage, &CRemoteMediaStorage::thumbnailRequestFailed);
        storage->requestFileThumbnail(files.first().fileUrl());
        storage->requestFileThumbnail(Communication::cameraFileUrl(QStringLiteral("/SD/DCIM/100MEDIA/NONE.JPG")));
        QTRY_COMPARE_WITH_TIMEOUT(thumbnails.count() + missing.count(), 2, 15000);
        QCOMPARE(thumbnails.count(), 1);
        QVERIFY(!thumbnails.first().at(1).value<QImage>().isNull());

        QTemporaryDir dir;
        QVector<QString> targets;
        for (int i = 0; i < files.size(); ++i)
            targets.append(dir.filePath(QStringLiteral("file%1").arg(i)));
        std::shared_ptr<CAbstractMediaDownload> download = storage->downloadFiles(files, targets);
        QVERIFY(download);
        QTRY_VERIFY(activeChanged.count() >= 1);
        QCOMPARE(storage->activeDownload(), download);
        QSignalSpy finished(download.get(), &CAbstractMediaDownload::finished);
        QVERIFY(download->result() == 2 || finished.wait(30000));
        QCOMPARE(download->result(), 2);
        QTRY_VERIFY(!storage->activeDownload());
        QTRY_COMPARE(activeChanged.count(), 2);
        for (const QString& target : targets)
            QVERIFY(QFile::exists(target));
    }
};

QTEST_MAIN(tst_HXRemoteMediaFacades)
#include "tst_HXRemoteMediaFacades.moc"
