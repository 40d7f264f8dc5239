#include "CGstMultimediaLibrary.h"
#include "CGstVideoSurfaceSink.h"
#include "CRTSPVideoStreamerLogic.h"
#include "RtspPeer.h"

#include "support/QmlWarningGuard.h"

#include <QGuiApplication>
#include <QQmlContext>
#include <QSGRendererInterface>
#include <QQuickItem>
#include <QQuickView>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

#include <vector>

using Ulx::MultimediaTypes;
using Ulx::Multimedia::CRTSPVideoStreamerLogic;

// A QML VideoOutput bound to the streamer's surface sink shows the camera's live picture.
class tst_LiveVideoOutput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QmlWarningGuard::install();
        int argc = 0;
        QVERIFY(Ulx::GStreamer::CGstMultimediaLibrary::initialize(&argc, nullptr));
    }

    void cleanup() { QmlWarningGuard::checkFunction(); }

    void videoOutputShowsTheLivePicture()
    {
        // Full-screen green from the camera, so the screenshot can be judged by colour.
        RtspPeer peer({ "--width", "320", "--height", "240", "--pattern", "green" });
        QVERIFY(peer.start());
        CRTSPVideoStreamerLogic logic;
        logic.setStreamUrl(peer.url("/stream"));
        logic.setStreamCaps("video/x-h264, stream-format=(string)byte-stream, alignment=(string)nal");

        QQuickView view;
        view.rootContext()->setContextProperty(QStringLiteral("videoSink"), logic.videoSurfaceSink());
        view.setSource(QUrl::fromLocalFile(QStringLiteral(CX_TEST_SOURCE_DIR "/LiveVideo.qml")));
        if (view.status() == QQuickView::Error) {
            QString errors;
            for (const QQmlError& error : view.errors())
                errors += QLatin1Char('\n') + error.toString();
            QSKIP(qPrintable(QStringLiteral("the QtMultimedia QML module is not available:") + errors));
        }
        QCOMPARE(view.status(), QQuickView::Ready);
        view.resize(320, 240);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        if (view.rendererInterface()->graphicsApi() == QSGRendererInterface::Software)
            QSKIP("VideoOutput paints video only with OpenGL; run under an X server (xvfb-run)");
        QVERIFY(logic.videoSurfaceSink()->videoSurface() != nullptr);

        logic.start();
        QSignalSpy states(&logic, &CRTSPVideoStreamerLogic::stateChanged);
        QTRY_COMPARE_WITH_TIMEOUT(logic.state(), MultimediaTypes::StreamingRunning, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(logic.videoSurfaceSink()->hasFrame(), 20000);

        // The background is black; the picture is green once the video output paints it.
        auto isGreen = [](const QColor& c) { return c.green() > 100 && c.red() < 80 && c.blue() < 80; };
        QImage shot;
        QTRY_VERIFY_WITH_TIMEOUT((shot = view.grabWindow(), !shot.isNull()), 20000);
        QTRY_VERIFY_WITH_TIMEOUT((shot = view.grabWindow(), isGreen(shot.pixelColor(shot.width() / 2, shot.height() / 2))),
                                 20000);
        QVERIFY(isGreen(shot.pixelColor(10, 10)));
        QVERIFY(isGreen(shot.pixelColor(shot.width() - 10, shot.height() - 10)));

        // A still of the same picture is uniformly green.
        QSignalSpy stills(&logic, &CRTSPVideoStreamerLogic::imageCaptured);
        QTemporaryDir folder;
        const QString still = folder.filePath("live-still.png");
        logic.captureImage(still, Ulx::Multimedia::CImageMetaData());
        QTRY_COMPARE_WITH_TIMEOUT(stills.count(), 1, 20000);
        const QImage image(still);
        QCOMPARE(image.size(), QSize(320, 240));
        for (int y : { 5, 120, 235 })
            QVERIFY2(isGreen(image.pixelColor(160, y)), qPrintable(image.pixelColor(160, y).name()));

        logic.stop();
        QTRY_COMPARE_WITH_TIMEOUT(logic.state(), MultimediaTypes::StreamingStopped, 20000);
    }
};

// The offscreen platform and the software scene graph cannot paint video, so the test moves
// itself onto a private X server with OpenGL (Mesa) when it can.
int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("CX_UNDER_XVFB") && !qEnvironmentVariableIsSet("DISPLAY")) {
        std::vector<char*> arguments { const_cast<char*>("xvfb-run"),
                                       const_cast<char*>("-a"),
                                       const_cast<char*>("-s"),
                                       const_cast<char*>("-screen 0 1280x1024x24"),
                                       const_cast<char*>("env"),
                                       const_cast<char*>("-u"),
                                       const_cast<char*>("QT_QUICK_BACKEND"),
                                       const_cast<char*>("QT_QPA_PLATFORM=xcb"),
                                       const_cast<char*>("CX_UNDER_XVFB=1") };
        for (int i = 0; i < argc; ++i)
            arguments.push_back(argv[i]);
        arguments.push_back(nullptr);
        execvp("xvfb-run", arguments.data());
        // No xvfb-run: carry on where we are; the test skips if it cannot paint.
    }
    QGuiApplication app(argc, argv);
    tst_LiveVideoOutput test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_LiveVideoOutput.moc"
