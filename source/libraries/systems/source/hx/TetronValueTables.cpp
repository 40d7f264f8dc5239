#include "hx/TetronValueTables.h"

namespace Ulx {
namespace Communication {

QString TetronValueTable::name(int id) const
{
    for (std::size_t i = 0; i < m_count; ++i) {
        if (m_entries[i].id == id)
            return QString::fromLatin1(m_entries[i].name);
    }
    return QString();
}

int TetronValueTable::id(const QString& name) const
{
    for (std::size_t i = 0; i < m_count; ++i) {
        if (name == QLatin1String(m_entries[i].name))
            return m_entries[i].id;
    }
    return 0;
}

namespace TetronTables {

namespace {

const TetronValueName kCameraActions[] = {{1, "record_start"}, {2, "record_stop"}, {3, "capture"}};
const TetronValueName kCameraModes[] = {{1, "VIDEO"},      {2, "CAMERA"},  {3, "BURST"},   {4, "TIMELAPSE"},
                                        {5, "SLOWMOTION"}, {6, "SETTING"}, {7, "UPDATEFW"}};
const TetronValueName kFileFormats[] = {{0, "all"}, {1, "mov"}, {2, "avi"}, {3, "jpeg"}};
const TetronValueName kFlicker[] = {{1, "50Hz"}, {2, "60Hz"}};
const TetronValueName kTimelapse[] = {{1, "HalfSEC"}, {2, "1SEC"}, {3, "3SEC"}, {4, "30SEC"}, {5, "60SEC"}};
// The camera writes "1" for on and "0" for off.
const TetronValueName kOnOff[] = {{0, "1"}, {1, "0"}};
const TetronValueName kPhotoResolutions[] = {{1, "8MP"}, {2, "6MP"}, {3, "3MP"}};
const TetronValueName kVideoResolutions[] = {{1, "1440P30"}, {2, "1080P60"}, {3, "1080P30"}, {4, "720P60"}, {5, "720P30"}};
const TetronValueName kVideoClipTimes[] = {{0, "OFF"}, {1, "15MIN"}, {2, "5MIN"}};
const TetronValueName kLoopingVideo[] = {{0, "OFF"}, {1, "15MIN"}, {2, "10MIN"}, {3, "5MIN"}};
const TetronValueName kParameters[] = {
    {1, "Camera.Battery.Level"},        {2, "Buzzer"},
    {3, "Camera.Menu.Alert"},           {4, "Camera.Total.File.Number"},
    {5, "Camera.FWupdate.Progress"},    {6, "Camera.FWUpload.Progress"},
    {7, "Camera.Record.TheLastFileName"}, {8, "Camera.Record.Total"},
    {9, "Camera.MBytes.Remaining"},     {10, "Camera.Timestamp.Enable"},
    {11, "Net.WIFI_AP.CryptoKey"},      {12, "Net.WIFI_AP.SSID"},
    {13, "Camera.Menu.AWB"},            {14, "Camera.Menu.DefMode"},
    {15, "Camera.Menu.EV"},             {16, "Camera.Menu.Flicker"},
    {17, "Camera.Menu.FWversion"},      {18, "Camera.Menu.HDR"},
    {19, "Camera.Menu.ImageRes"},       {20, "Camera.Menu.IsStreaming"},
    {21, "Camera.Menu.LoopingVideo"},   {22, "Camera.Menu.MTD"},
    {23, "Camera.Menu.PhotoBurst"},     {24, "Camera.Menu.PowerSaving"},
    {25, "Camera.Menu.Q-SHOT"},         {26, "Camera.Menu.SD0"},
    {27, "Camera.Menu.SoundIndicator"}, {28, "Camera.Menu.SpotMeter"},
    {29, "Camera.Menu.StatusLights"},   {30, "Camera.Menu.Timelapse"},
    {31, "Camera.Menu.TV"},             {32, "Camera.Menu.TVSystem"},
    {33, "Camera.Menu.UIMode"},         {34, "Camera.Menu.UpsideDown"},
    {35, "Camera.Menu.VideoClipTime"},  {36, "Camera.Menu.VideoRes"}};

int decimal(const QByteArray& text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 0;
}

} // namespace

const TetronValueTable& cameraActionNames()
{
    static const TetronValueTable table(kCameraActions);
    return table;
}
const TetronValueTable& cameraModeNames()
{
    static const TetronValueTable table(kCameraModes);
    return table;
}
const TetronValueTable& fileFormatNames()
{
    static const TetronValueTable table(kFileFormats);
    return table;
}
const TetronValueTable& flickerNames()
{
    static const TetronValueTable table(kFlicker);
    return table;
}
const TetronValueTable& timelapseIntervalNames()
{
    static const TetronValueTable table(kTimelapse);
    return table;
}
const TetronValueTable& onOffNames()
{
    static const TetronValueTable table(kOnOff);
    return table;
}
const TetronValueTable& photoResolutionNames()
{
    static const TetronValueTable table(kPhotoResolutions);
    return table;
}
const TetronValueTable& videoResolutionNames()
{
    static const TetronValueTable table(kVideoResolutions);
    return table;
}
const TetronValueTable& videoClipTimeNames()
{
    static const TetronValueTable table(kVideoClipTimes);
    return table;
}
const TetronValueTable& loopingVideoNames()
{
    static const TetronValueTable table(kLoopingVideo);
    return table;
}
const TetronValueTable& cameraParameterNames()
{
    static const TetronValueTable table(kParameters);
    return table;
}

QVariant convertParameterValue(int parameterId, const QByteArray& text)
{
    // A line cut after its "=" says nothing: read as 0 it would be a value the camera never had.
    if (text.isEmpty())
        return QVariant();
    const QString word = QString::fromUtf8(text);
    switch (parameterId) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 8:
    case 9:
        return decimal(text);
    case 7:
        return word.toUpper();
    case 10:
        return onOffNames().id(word);
    case 11:
    case 12:
    case 17:
        return word;
    case 16:
        return flickerNames().id(word);
    case 19:
        return photoResolutionNames().id(word);
    case 21:
        return loopingVideoNames().id(word);
    case 30:
        return timelapseIntervalNames().id(word);
    case 33:
        return cameraModeNames().id(word);
    case 35:
        return videoClipTimeNames().id(word);
    case 36:
        return videoResolutionNames().id(word);
    default:
        return QVariant();
    }
}

} // namespace TetronTables

Ulx::RemoteMediaTypes::CaptureMode cameraModeToCaptureMode(int cameraMode)
{
    switch (cameraMode) {
    case 1:
        return Ulx::RemoteMediaTypes::CaptureModeVideo;
    case 2:
        return Ulx::RemoteMediaTypes::CaptureModePhoto;
    default:
        return Ulx::RemoteMediaTypes::CaptureModeInvalid;
    }
}

int captureModeToCameraMode(Ulx::RemoteMediaTypes::CaptureMode mode)
{
    switch (mode) {
    case Ulx::RemoteMediaTypes::CaptureModeVideo:
        return 1;
    case Ulx::RemoteMediaTypes::CaptureModePhoto:
        return 2;
    default:
        return 0;
    }
}

Ulx::MultimediaTypes::VideoConfig cameraVideoResolutionToVideoConfig(int resolution)
{
    switch (resolution) {
    case 1:
        return Ulx::MultimediaTypes::VideoConfig1440P30FPS;
    case 2:
        return Ulx::MultimediaTypes::VideoConfig1080P60FPS;
    case 3:
        return Ulx::MultimediaTypes::VideoConfig1080P30FPS;
    case 4:
        return Ulx::MultimediaTypes::VideoConfig720P60FPS;
    case 5:
        return Ulx::MultimediaTypes::VideoConfig720P30FPS;
    default:
        return Ulx::MultimediaTypes::VideoConfigInvalid;
    }
}

int videoConfigToCameraVideoResolution(Ulx::MultimediaTypes::VideoConfig config)
{
    switch (config) {
    case Ulx::MultimediaTypes::VideoConfig1440P30FPS:
        return 1;
    case Ulx::MultimediaTypes::VideoConfig1080P60FPS:
        return 2;
    case Ulx::MultimediaTypes::VideoConfig1080P30FPS:
        return 3;
    case Ulx::MultimediaTypes::VideoConfig720P60FPS:
        return 4;
    case Ulx::MultimediaTypes::VideoConfig720P30FPS:
        return 5;
    default:
        return 0;
    }
}

Ulx::MultimediaTypes::PhotoResolution cameraPhotoResolutionToPhotoResolution(int resolution)
{
    if (resolution < 1 || resolution > 3)
        return Ulx::MultimediaTypes::PhotoResolutionUnknown;
    return static_cast<Ulx::MultimediaTypes::PhotoResolution>(4 - resolution);
}

int photoResolutionToCameraPhotoResolution(Ulx::MultimediaTypes::PhotoResolution resolution)
{
    const int value = static_cast<int>(resolution);
    if (value < 1 || value > 3)
        return 0;
    return 4 - value;
}

} // namespace Communication
} // namespace Ulx
