// The camera command set without a camera: request URLs, value tables, conversions and the
// file list parser, including hostile file names.

#include "LogCapture.h"

#include "hx/CDeleteFileCommand.h"
#include "hx/CGetCameraAlertCommand.h"
#include "hx/CGetCameraInfoCommand.h"
#include "hx/CGetFileInfoCommand.h"
#include "hx/CGetThumbnailCommand.h"
#include "hx/CLoginCommand.h"
#include "hx/CLogoutCommand.h"
#include "hx/CSetCameraActionCommand.h"
#include "hx/CSetDateTimeCommand.h"
#include "hx/CSetPhotoResolutionCommand.h"
#include "hx/CSetTimestampingStateCommand.h"
#include "hx/CSetVideoClipLengthCommand.h"
#include "hx/CSetVideoCyclingCommand.h"
#include "hx/CSetVideoResolutionCommand.h"
#include "hx/CSetWifiNameCommand.h"
#include "hx/TetronCameraUrls.h"
#include "hx/TetronFileListParser.h"
#include "hx/TetronValueTables.h"

#include <QtTest>

#include <limits>

using namespace Ulx;
using namespace Ulx::Communication;

class tst_TetronCommands : public QObject
{
    Q_OBJECT

private slots:
    void init() { setCameraHttpPort(8081); }
    void cleanup() { setCameraHttpPort(0); }

    void realCameraIsAskedOnHttpsOwnPort()
    {
        // A real camera's web server answers on port 80, which the URL leaves out; only a
        // simulator's port comes from the environment or the test.
        qunsetenv("CX_HOSELUX_HTTP_PORT");
        setCameraHttpPort(0);
        QCOMPARE(cameraBaseUrl(), QStringLiteral("http://127.0.0.1"));
        QCOMPARE(CLogoutCommand().requestUrl(), QStringLiteral("http://127.0.0.1/cgi-bin/User.cgi?action=logout"));
        QCOMPARE(cameraFilePath(QStringLiteral("http://127.0.0.1/SD/DCIM/F1.JPG")), QStringLiteral("/SD/DCIM/F1.JPG"));
        QCOMPARE(cameraFilePath(QStringLiteral("http://127.0.0.1:8580/SD/DCIM/F1.JPG")), QString());

        qputenv("CX_HOSELUX_HTTP_PORT", "8580");
        setCameraHttpPort(0);
        qunsetenv("CX_HOSELUX_HTTP_PORT");
        QCOMPARE(cameraBaseUrl(), QStringLiteral("http://127.0.0.1:8580"));
        setCameraHttpPort(0);
        QCOMPARE(cameraBaseUrl(), QStringLiteral("http://127.0.0.1"));
    }

    void requestUrls()
    {
        const QString base = cameraBaseUrl();
        QCOMPARE(base, QStringLiteral("http://127.0.0.1:8081"));
        QCOMPARE(CGetCameraInfoCommand({4, 9}).requestUrl(),
                 base + "/cgi-bin/Config.cgi?action=get&property=Camera.Total.File.Number&property=Camera.MBytes.Remaining");
        // Unknown ids add nothing.
        QCOMPARE(CGetCameraInfoCommand({0, 99}).requestUrl(), base + "/cgi-bin/Config.cgi?action=get");
        QCOMPARE(CGetFileInfoCommand(0, 25).requestUrl(),
                 base + "/cgi-bin/Config.cgi?action=dir&property=DCIM&format=all&gmode=all&count=25&from=0");
        QCOMPARE(CGetCameraAlertCommand().requestUrl(),
                 base + "/cgi-bin/Alert.cgi?action=get&property=Camera.Menu.Alert");
        QCOMPARE(CLogoutCommand().requestUrl(), base + "/cgi-bin/User.cgi?action=logout");
        QVERIFY(CLoginCommand::requestUrl().startsWith(base + "/cgi-bin/User.cgi?action=login&user="));
        QVERIFY(CLoginCommand::requestUrl().endsWith("&pass=tovel"));
        QCOMPARE(CSetDateTimeCommand(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7))).requestUrl(),
                 base + "/cgi-bin/Config.cgi?action=set&property=TimeSettings&value=2026$03$04$05$06$07");
        QCOMPARE(CSetCameraActionCommand(1).requestUrl(),
                 base + "/cgi-bin/Config.cgi?action=set&property=Video&value=record_start");
        QCOMPARE(CSetVideoResolutionCommand(1).requestUrl(),
                 base + "/cgi-bin/Config.cgi?action=set&property=Videores&value=1440P30");
        QCOMPARE(CSetPhotoResolutionCommand(3).requestUrl(),
                 base + "/cgi-bin/Config.cgi?action=set&property=Imageres&value=3MP");
        // An id missing from its table leaves the value empty.
        QCOMPARE(CSetPhotoResolutionCommand(9).requestUrl(),
                 base + "/cgi-bin/Config.cgi?action=set&property=Imageres&value=");
        QCOMPARE(CSetTimestampingStateCommand(0).requestUrl(),
                 base + "/cgi-bin/Config.cgi?action=set&property=Camera.Timestamp.Enable&value=1");
        QCOMPARE(CSetVideoClipLengthCommand(2).requestUrl(),
                 base + "/cgi-bin/Config.cgi?action=set&property=VideoClipTime&value=5MIN");
        QCOMPARE(CSetVideoCyclingCommand(2).requestUrl(),
                 base + "/cgi-bin/Config.cgi?action=set&property=LoopingVideo&value=10MIN");
        QCOMPARE(CSetWifiNameCommand(QStringLiteral("HX cam&x=1")).requestUrl(),
                 base + "/cgi-bin/Config.cgi?action=set&property=Net.WIFI_AP.SSID&value=HX%20cam%26x%3D1");
    }

    void fileUrlsAreEncoded()
    {
        const QString base = cameraBaseUrl();
        QCOMPARE(CDeleteFileCommand(base + "/SD/DCIM/F1.JPG").requestUrl(),
                 base + "/cgi-bin/Config.cgi?action=del&property=$SD$DCIM$F1.JPG");
        // A name with query characters cannot add parameters.
        QCOMPARE(CDeleteFileCommand(base + "/SD/DCIM/a&action=x.JPG").requestUrl(),
                 base + "/cgi-bin/Config.cgi?action=del&property=$SD$DCIM$a%26action%3Dx.JPG");
        QCOMPARE(CGetThumbnailCommand(base + "/SD/DCIM/my photo.JPG").requestUrl(),
                 base + "/thumb/SD/DCIM/my%20photo.JPG");
    }

    void cameraPaths()
    {
        const QString base = cameraBaseUrl();
        QCOMPARE(cameraFileUrl("/SD/DCIM/F1.JPG"), base + "/SD/DCIM/F1.JPG");
        QCOMPARE(cameraFilePath(base + "/SD/DCIM/F1.JPG"), QStringLiteral("/SD/DCIM/F1.JPG"));
        QCOMPARE(cameraFilePath("http://elsewhere/SD/F1.JPG"), QString());
        // The same host on a longer port number is not the camera.
        QCOMPARE(cameraFilePath(base + "1/SD/F1.JPG"), QString());
        // A path without its leading slash would move the host: "@evil.example/x".
        QCOMPARE(cameraFileUrl("@evil.example/x.JPG"), QString());
        QCOMPARE(cameraFileUrl("/SD/../../etc/passwd"), QString());
        QCOMPARE(cameraFileUrl("/SD/DCIM\\..\\x.JPG"), QString());
        QCOMPARE(cameraFileUrl("/SD//x.JPG"), QString());
        QVERIFY(isSafeCameraPath("/SD/DCIM/100MEDIA/IMG0001.JPG"));
    }

    void valueTables()
    {
        QCOMPARE(TetronTables::cameraModeNames().name(2), QStringLiteral("CAMERA"));
        QCOMPARE(TetronTables::cameraModeNames().id("VIDEO"), 1);
        QCOMPARE(TetronTables::cameraModeNames().id("video"), 0); // case-sensitive
        QCOMPARE(TetronTables::onOffNames().name(1), QStringLiteral("0"));
        QCOMPARE(TetronTables::videoClipTimeNames().id("5MIN"), 2);
        QCOMPARE(TetronTables::loopingVideoNames().id("5MIN"), 3);
        QCOMPARE(TetronTables::cameraParameterNames().name(36), QStringLiteral("Camera.Menu.VideoRes"));
        QCOMPARE(TetronTables::cameraParameterNames().name(37), QString());

        QCOMPARE(TetronTables::convertParameterValue(7, "sd/normal/f001.mp4"), QVariant(QStringLiteral("SD/NORMAL/F001.MP4")));
        QCOMPARE(TetronTables::convertParameterValue(16, "55Hz"), QVariant(0));
        QCOMPARE(TetronTables::convertParameterValue(9, "lots"), QVariant(0));
        QVERIFY(!TetronTables::convertParameterValue(13, "x").isValid()); // dropped parameter
    }

    void conversions()
    {
        QCOMPARE(cameraVideoResolutionToVideoConfig(1), MultimediaTypes::VideoConfig1440P30FPS);
        QCOMPARE(cameraVideoResolutionToVideoConfig(4), MultimediaTypes::VideoConfig720P60FPS);
        QCOMPARE(cameraVideoResolutionToVideoConfig(6), MultimediaTypes::VideoConfigInvalid);
        for (int id = 1; id <= 5; ++id)
            QCOMPARE(videoConfigToCameraVideoResolution(cameraVideoResolutionToVideoConfig(id)), id);
        QCOMPARE(videoConfigToCameraVideoResolution(MultimediaTypes::VideoConfig1080P25FPS), 0);
        QCOMPARE(cameraPhotoResolutionToPhotoResolution(1), MultimediaTypes::PhotoResolution8MP);
        QCOMPARE(cameraPhotoResolutionToPhotoResolution(3), MultimediaTypes::PhotoResolution3MP);
        QCOMPARE(cameraPhotoResolutionToPhotoResolution(0), MultimediaTypes::PhotoResolutionUnknown);
        QCOMPARE(photoResolutionToCameraPhotoResolution(MultimediaTypes::PhotoResolution3MP), 3);
        QCOMPARE(photoResolutionToCameraPhotoResolution(MultimediaTypes::PhotoResolutionUnknown), 0);
        QCOMPARE(cameraModeToCaptureMode(2), RemoteMediaTypes::CaptureModePhoto);
        QCOMPARE(cameraModeToCaptureMode(3), RemoteMediaTypes::CaptureModeInvalid);
        QCOMPARE(captureModeToCameraMode(RemoteMediaTypes::CaptureModeVideo), 1);
    }

    void fileListEntries()
    {
        LogCapture log;
        const QByteArray xml =
            "<DCIM>"
            "<file><name>/SD/DCIM/A.JPG</name><format>JPEG</format><size>10</size><time>2026-01-02 03:04:05</time></file>"
            "<file><name>/SD/DCIM/B.MP4</name><format>Mp4</format><size>x</size><time>2026-01-02 03:04:06</time></file>"
            "<file><name>/SD/DCIM/C.MOV</name><format>mov</format><size>1</size><time>2026-01-02 03:04:07</time></file>"
            "<file><name>/SD/DCIM/D.JPG</name><format>jpeg</format><size>1</size></file>"
            "<file><name>/SD/DCIM/E.JPG</name><format>jpeg</format><size>1</size><time>yesterday</time><extra/></file>"
            "<other><file/></other>"
            "<file><name>/SD/DCIM/F.MP4</name><format>MP4</format><size>9223372036854775808</size><time>2026-01-02 03:04:08</time></file>"
            "<file><name>/SD/DCIM/G.MP4</name><format>MP4</format><size>18446744073709551615</size><time>2026-01-02 03:04:09</time></file>"
            "<file><name>/SD/DCIM/H.JPG</name><format>jpeg</format><time>2026-01-02 03:04:10</time></file>"
            "<file><name>/SD/DCIM/I.JPG</name><format>jpeg</format><size>12kB</size><time>2026-01-02 03:04:11</time></file>"
            "<file><name>/SD/DCIM/J.JPG</name><format>jpeg</format><size>-5</size><time>2026-01-02 03:04:12</time></file>"
            "</DCIM>";
        QVector<Multimedia::CRemoteFileInfo> files;
        QVERIFY(parseTetronFileList(xml, &files));
        QCOMPARE(files.size(), 8);
        QCOMPARE(files.at(0).fileName(), QStringLiteral("A.JPG"));
        QCOMPARE(files.at(0).fileUrl(), cameraBaseUrl() + "/SD/DCIM/A.JPG");
        QCOMPARE(files.at(0).fileType(), RemoteMediaTypes::FileTypePhoto);
        QCOMPARE(files.at(0).fileSize(), qint64(10));
        QCOMPARE(files.at(0).creationTime(), QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
        QCOMPARE(files.at(1).fileType(), RemoteMediaTypes::FileTypeVideo);
        QCOMPARE(files.at(2).fileName(), QStringLiteral("E.JPG")); // an invalid time becomes "now"
        // A number beyond any size is the largest, which no volume holds; a size that is no
        // number or is not given is unknown (0), each logged, and the file stays listed.
        for (int i : {3, 4})
            QCOMPARE(files.at(i).fileSize(), std::numeric_limits<qint64>::max());
        for (int i : {1, 5, 6, 7})
            QCOMPARE(files.at(i).fileSize(), qint64(0));
        QCOMPARE(files.at(5).fileName(), QStringLiteral("H.JPG"));
        QCOMPARE(files.at(6).fileName(), QStringLiteral("I.JPG"));
        QCOMPARE(log.count("File list parser - invalid file type detected."), 1);
        QCOMPARE(log.count("File list parser - invalid file size detected."), 3);
        QCOMPARE(log.count("File list parser - no file size given."), 1);
        QCOMPARE(log.count("File list parser - invalid date detected - E.JPG yesterday."), 1);
    }

    void fileListRefusesHostileNames()
    {
        LogCapture log;
        const QByteArray xml =
            "<DCIM>"
            "<file><name>NOSLASH.JPG</name><format>jpeg</format><size>1</size><time>2026-01-02 03:04:05</time></file>"
            "<file><name>@evil.example/x.JPG</name><format>jpeg</format><size>1</size><time>2026-01-02 03:04:05</time></file>"
            "<file><name>/SD/DCIM/..</name><format>jpeg</format><size>1</size><time>2026-01-02 03:04:05</time></file>"
            "<file><name>/SD/../../home/x.JPG</name><format>jpeg</format><size>1</size><time>2026-01-02 03:04:05</time></file>"
            "<file><name>/SD/DCIM/a\\..\\b.JPG</name><format>jpeg</format><size>1</size><time>2026-01-02 03:04:05</time></file>"
            "<file><name>/SD/DCIM/OK.JPG</name><format>jpeg</format><size>1</size><time>2026-01-02 03:04:05</time></file>"
            "</DCIM>";
        QVector<Multimedia::CRemoteFileInfo> files;
        QVERIFY(parseTetronFileList(xml, &files));
        QCOMPARE(files.size(), 1);
        QCOMPARE(files.at(0).fileName(), QStringLiteral("OK.JPG"));
        QCOMPARE(log.count("File list parser - invalid file name detected."), 1);
    }

    void fileListErrors()
    {
        LogCapture log;
        QVector<Multimedia::CRemoteFileInfo> files;
        QVERIFY(!parseTetronFileList("<DCIM><file><name>/SD/A.JPG</name>", &files));
        QVERIFY(files.isEmpty());
        QVERIFY(!parseTetronFileList("<html><body><p>broken</html>", &files));
        QCOMPARE(log.count("File list parser - invalid XML detected."), 2);
        // Another root element is an empty list, not an error.
        QVERIFY(parseTetronFileList("<LIST><file/></LIST>", &files));
        QVERIFY(files.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_TetronCommands)
#include "tst_TetronCommands.moc"
