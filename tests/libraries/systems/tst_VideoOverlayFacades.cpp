#include "SignalRecorder.h"

#include "CUlxSystemsLibrary.h"
#include "CUlxSystemsLibraryPrivate.h"
#include "videooverlay/CAbstractVideoOverlayLogic.h"
#include "videooverlay/CVideoOverlayCaps.h"
#include "videooverlay/CVideoOverlayCapsStorage.h"
#include "videooverlay/CVideoOverlayControl.h"
#include "videooverlay/CVideoOverlayDataStorage.h"
#include "videooverlay/CVideoOverlayImage.h"
#include "videooverlay/CVideoOverlayText.h"

#include <QtTest>

using namespace Ulx;
using VideoOverlay::CVideoOverlayImage;
using VideoOverlay::CVideoOverlayText;

namespace {

// Notes every call with the address of the item it was given.
class RecordingOverlayLogic : public VideoOverlay::CAbstractVideoOverlayLogic
{
public:
    void initialize() override { calls << "initialize"; }
    void shutdown() override { calls << "shutdown"; }
    void beginUpdate() override { calls << "beginUpdate"; }
    void endUpdate() override { calls << "endUpdate"; }
    void drawImage(const CVideoOverlayImage& image) override
    {
        calls << "drawImage";
        lastItem = &image;
    }
    void drawText(const CVideoOverlayText& text) override
    {
        calls << "drawText";
        lastItem = &text;
    }
    void setVideoOverlayEnabled(bool enabled) override { calls << (enabled ? "enable" : "disable"); }
    void clearVideoOverlay() override { calls << "clear"; }
    void setScript(VideoOverlayTypes::Script script) override
    {
        calls << (script == VideoOverlayTypes::ScriptCyrillic ? "cyrillic" : "latin");
    }

    QStringList calls;
    const void* lastItem = nullptr;
};

void callEverything(VideoOverlay::CVideoOverlayControl* control, const CVideoOverlayText& text,
                    const CVideoOverlayImage& image)
{
    control->beginUpdate();
    control->drawText(text);
    control->drawImage(image);
    control->endUpdate();
    control->setVideoOverlayEnabled(true);
    control->clearVideoOverlay();
    control->setScript(VideoOverlayTypes::ScriptCyrillic);
}

} // namespace

class tst_VideoOverlayFacades : public QObject
{
    Q_OBJECT

private slots:
    void init() { CUlxSystemsLibrary::initialize(); }
    void cleanup() { CUlxSystemsLibrary::finalize(); }

    void valuesStartInvisibleAtTheOrigin();
    void storagesSignalOnlyOnChangeAndResetInOrder();
    void capsRelayOneTurnLaterInStorageOrder();
    void controlCallsTheLogicInstalledAtEachCall();
};

void tst_VideoOverlayFacades::valuesStartInvisibleAtTheOrigin()
{
    const CVideoOverlayText text;
    QVERIFY(!text.visible());
    QCOMPARE(text.row(), 0);
    QCOMPARE(text.column(), 0);
    QCOMPARE(text.textColor(), QColor(Qt::black));
    QCOMPARE(text.backgroundColor(), QColor(Qt::black));
    const CVideoOverlayImage image;
    QVERIFY(image.data().isNull());
    QCOMPARE(image.alignment(), VideoOverlayTypes::ImageAlignmentInvalid);
    // Copies are independent values.
    CVideoOverlayText copy = text;
    copy.setText(QStringLiteral("changed"));
    QVERIFY(text.text().isEmpty());
}

void tst_VideoOverlayFacades::storagesSignalOnlyOnChangeAndResetInOrder()
{
    VideoOverlay::CVideoOverlayCapsStorage caps;
    SignalRecorder recorder(&caps);
    caps.reset();
    caps.setMaximumRowCount(0);
    QVERIFY(recorder.names.isEmpty());
    caps.setMaximumTextLength(20);
    caps.setMaximumRowCount(11);
    caps.setMaximumRowCount(11);
    caps.setMaximumColumnCount(32);
    caps.setUnicodeTextSupported(true);
    caps.setOverlaySupported(true);
    recorder.clear();
    caps.reset();
    QCOMPARE(recorder.names, (QList<QByteArray>{"overlaySupportedChanged", "unicodeTextSupportedChanged",
                                                "maximumColumnCountChanged", "maximumRowCountChanged",
                                                "maximumTextLengthChanged"}));

    VideoOverlay::CVideoOverlayDataStorage data;
    SignalRecorder dataRecorder(&data);
    data.reset();
    data.setVideoOverlayEnabled(true);
    data.setVideoOverlayEnabled(true);
    data.reset();
    QCOMPARE(dataRecorder.names, (QList<QByteArray>{"videoOverlayEnabledChanged", "videoOverlayEnabledChanged"}));
}

void tst_VideoOverlayFacades::capsRelayOneTurnLaterInStorageOrder()
{
    VideoOverlay::CVideoOverlayCapsStorage* storage = CUlxSystemsLibraryPrivate::instance()->videoOverlayCapsStorage();
    VideoOverlay::CVideoOverlayCaps* caps = CUlxSystemsLibrary::videoOverlayCaps();
    SignalRecorder storageSignals(storage);
    SignalRecorder facadeSignals(caps);
    storage->setMaximumColumnCount(58);
    storage->setMaximumRowCount(15);
    storage->setMaximumTextLength(58);
    storage->setTextBackgroundColorSupported(true);
    storage->setGraphicsSupported(true);
    storage->setOverlaySupported(true);
    // The getters read the storage at once; the signals come with the next event-loop turn.
    QCOMPARE(caps->maximumColumnCount(), 58);
    QVERIFY(caps->overlaySupported());
    QVERIFY(caps->graphicsSupported());
    QVERIFY(!caps->unicodeTextSupported());
    QVERIFY(facadeSignals.names.isEmpty());
    QTRY_COMPARE(facadeSignals.names, storageSignals.names);
    QCOMPARE(facadeSignals.names.size(), 6);
}

void tst_VideoOverlayFacades::controlCallsTheLogicInstalledAtEachCall()
{
    VideoOverlay::CVideoOverlayControl* control = CUlxSystemsLibrary::videoOverlayControl();
    VideoOverlay::CVideoOverlayDataStorage* data = CUlxSystemsLibraryPrivate::instance()->videoOverlayDataStorage();
    const CVideoOverlayText text;
    const CVideoOverlayImage image;

    // Without a session every call goes to the do-nothing logic.
    callEverything(control, text, image);
    QVERIFY(!control->videoOverlayEnabled());

    RecordingOverlayLogic logic;
    CUlxSystemsLibraryPrivate::instance()->installLogics(nullptr, nullptr, nullptr, nullptr, &logic);
    callEverything(control, text, image);
    QCOMPARE(logic.calls, (QStringList{"beginUpdate", "drawText", "drawImage", "endUpdate", "enable", "clear",
                                       "cyrillic"}));
    QCOMPARE(logic.lastItem, static_cast<const void*>(&image));

    // The enabled flag is the data storage's, relayed at once.
    SignalRecorder controlSignals(control);
    data->setVideoOverlayEnabled(true);
    QCOMPARE(controlSignals.names, (QList<QByteArray>{"videoOverlayEnabledChanged"}));
    QVERIFY(control->videoOverlayEnabled());

    CUlxSystemsLibraryPrivate::instance()->installLogics(nullptr, nullptr, nullptr, nullptr, nullptr);
    logic.calls.clear();
    callEverything(control, text, image);
    QVERIFY(logic.calls.isEmpty());
}

QTEST_GUILESS_MAIN(tst_VideoOverlayFacades)
#include "tst_VideoOverlayFacades.moc"
