#include "multimedia/ZPXBoardFormat.h"

#include <QStringList>

namespace Ulx {
namespace Multimedia {
namespace ZPXBoardFormat {

namespace {

using VideoConfig = MultimediaTypes::VideoConfig;

const QByteArray kFirmwareMarker = QByteArrayLiteral("SYS_VER = \"");
const QByteArray kFirmwareEnd = QByteArrayLiteral("\";");
const QString kFormTemplate = QStringLiteral(
    "AudioInstalled=0&OsdTimeStamp=0&FrameRate0=%1&ImgSize0=%2&CodecType0=2&FwModId=0&FwCgiVer=0x0001");

struct Codes
{
    int frameRate30;
    int frameRate15;
    int size1080;
    int size720;
};

bool codesFor(int major, int minor, Codes* codes)
{
    if (!supportsChange(major, minor))
        return false;
    if (minor <= 27)
        *codes = {0, 3, 9, 6};
    else if (minor == 28)
        *codes = {10, 11, 8, 6};
    else
        *codes = {10, 11, 9, 6};
    return true;
}

} // namespace

FirmwareVersion parseFirmwareVersion(const QByteArray& indexPage)
{
    FirmwareVersion version;
    const int start = indexPage.indexOf(kFirmwareMarker);
    if (start < 0)
        return version;
    const int textStart = start + kFirmwareMarker.size();
    const int end = indexPage.indexOf(kFirmwareEnd, textStart);
    if (end < 0)
        return version;
    version.text = QString::fromUtf8(indexPage.mid(textStart, end - textStart));
    const int hyphen = version.text.indexOf(QLatin1Char('-'));
    if (hyphen < 0)
        return version;
    const QStringList parts = version.text.left(hyphen).split(QLatin1Char('.'));
    if (parts.size() != 2)
        return version;
    version.major = parts.at(0).toInt(nullptr, 10);
    version.minor = parts.at(1).toInt(nullptr, 10);
    return version;
}

bool supportsChange(int major, int minor)
{
    return major == 4 && minor >= 24 && minor <= 29;
}

VideoConfig parseSettingsPage(const QByteArray& page, int major, int minor)
{
    int imageSize = -1;
    int frameRate = -1;
    bool haveSize = false;
    bool haveRate = false;
    const QList<QByteArray> statements = page.split(';');
    for (const QByteArray& raw : statements) {
        const QByteArray statement = raw.trimmed();
        const int equals = statement.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray key = statement.left(equals);
        const QByteArray value = statement.mid(equals + 1).trimmed();
        if (key == "IMGSIZE0") {
            imageSize = value.toInt(nullptr, 10);
            haveSize = true;
        } else if (key == "FRAMERATE0") {
            frameRate = value.toInt(nullptr, 10);
            haveRate = true;
        }
        if (haveSize && haveRate)
            break;
    }
    Codes codes;
    if (!haveSize || !haveRate || !codesFor(major, minor, &codes))
        return MultimediaTypes::VideoConfigInvalid;
    const bool is720 = imageSize == codes.size720;
    const bool is1080 = imageSize == codes.size1080;
    const bool is30 = frameRate == codes.frameRate30;
    const bool is15 = frameRate == codes.frameRate15;
    if (is720 && is30)
        return MultimediaTypes::VideoConfig720P30FPS;
    if (is720 && is15)
        return MultimediaTypes::VideoConfig720P15FPS;
    if (is1080 && is30)
        return MultimediaTypes::VideoConfig1080P30FPS;
    if (is1080 && is15)
        return MultimediaTypes::VideoConfig1080P15FPS;
    return MultimediaTypes::VideoConfigInvalid;
}

QByteArray formBody(VideoConfig config, int major, int minor)
{
    Codes codes;
    if (!codesFor(major, minor, &codes))
        return QByteArray();
    int frameRate = 0;
    int imageSize = 0;
    switch (config) {
    case MultimediaTypes::VideoConfig720P15FPS:
        frameRate = codes.frameRate15;
        imageSize = codes.size720;
        break;
    case MultimediaTypes::VideoConfig720P30FPS:
        frameRate = codes.frameRate30;
        imageSize = codes.size720;
        break;
    case MultimediaTypes::VideoConfig1080P15FPS:
        frameRate = codes.frameRate15;
        imageSize = codes.size1080;
        break;
    case MultimediaTypes::VideoConfig1080P30FPS:
        frameRate = codes.frameRate30;
        imageSize = codes.size1080;
        break;
    default:
        return QByteArray();
    }
    return kFormTemplate.arg(frameRate).arg(imageSize).toUtf8();
}

} // namespace ZPXBoardFormat
} // namespace Multimedia
} // namespace Ulx
