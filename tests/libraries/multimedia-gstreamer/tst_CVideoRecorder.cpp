#include "CGstMultimediaLibrary.h"
#include "CH264VideoRecordingPipeline.h"
#include "CUlxSystemsLibrary.h"
#include "CUlxSystemsLibraryPrivate.h"
#include "multimedia/CRTSPVideoRecorderLogic.h"
#include "multimedia/CVideoRecorder.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using Ulx::MultimediaTypes;
using Ulx::Multimedia::CRTSPVideoRecorderLogic;
using Ulx::Multimedia::CVideoRecorder;

// The facade holds nothing of its own: it forwards to the library's recorder logic and relays
// each of its signals once.
class tst_CVideoRecorder : public QObject
{
    Q_OBJECT

private:
    CVideoRecorder* m_recorder = nullptr;
    CRTSPVideoRecorderLogic* m_logic = nullptr;
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        int argc = 0;
        QVERIFY(Ulx::GStreamer::CGstMultimediaLibrary::initialize(&argc, nullptr));
        Ulx::CUlxSystemsLibrary::initialize();
        m_recorder = Ulx::CUlxSystemsLibrary::videoRecorder();
        QVERIFY(m_recorder);
        m_logic = Ulx::CUlxSystemsLibraryPrivate::instance()->videoRecorderLogic();
        QVERIFY(m_logic);
    }

    void cleanupTestCase() { Ulx::CUlxSystemsLibrary::finalize(); }

    void forwardsAndRelaysOnce()
    {
        QSignalSpy names(m_recorder, &CVideoRecorder::fileNameChanged);
        QSignalSpy states(m_recorder, &CVideoRecorder::stateChanged);
        QSignalSpy errors(m_recorder, &CVideoRecorder::errorOccurred);
        const QString fileName = m_dir.filePath("facade.mp4");
        m_recorder->setFileName(fileName);
        QCOMPARE(m_logic->fileName(), fileName);
        QCOMPARE(m_recorder->fileName(), fileName);
        QCOMPARE(names.count(), 1);

        // No stream: the recording starts, and stopping before any key frame fails it.
        m_recorder->start();
        QCOMPARE(m_recorder->state(), MultimediaTypes::RecordingStarting);
        QCOMPARE(m_recorder->duration(), 0);
        m_recorder->pause();
        m_recorder->resume();
        m_recorder->stop();
        QCOMPARE(m_recorder->state(), MultimediaTypes::RecordingStopped);
        QCOMPARE(states.count(), 3); // Starting, Ending, Stopped
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.first().at(0).value<MultimediaTypes::RecordingError>(), MultimediaTypes::RecordingErrorInternal);
        // The pipeline's worker opens and removes the file.
        QTRY_VERIFY_WITH_TIMEOUT(!m_logic->recordingPipeline()->isChangingState(), 20000);
        QVERIFY(!QFile::exists(fileName));
    }
};

QTEST_GUILESS_MAIN(tst_CVideoRecorder)
#include "tst_CVideoRecorder.moc"
