#pragma once

#include "MultimediaTypes.h"
#include "RemoteMediaTypes.h"

#include <QString>
#include <QVariant>

namespace Ulx {
namespace Communication {

// The camera's words for the numeric ids the program uses, and the conversions between camera
// ids and the multimedia enumerations. Look-ups give an empty name or id 0 when nothing fits.
struct TetronValueName
{
    int id;
    const char* name;
};

class TetronValueTable
{
public:
    template <std::size_t N>
    constexpr explicit TetronValueTable(const TetronValueName (&entries)[N])
        : m_entries(entries)
        , m_count(N)
    {
    }

    QString name(int id) const;
    // Exact, case-sensitive comparison.
    int id(const QString& name) const;

private:
    const TetronValueName* m_entries;
    std::size_t m_count;
};

namespace TetronTables {
const TetronValueTable& cameraActionNames();
const TetronValueTable& cameraModeNames();
const TetronValueTable& fileFormatNames();
const TetronValueTable& flickerNames();
const TetronValueTable& timelapseIntervalNames();
const TetronValueTable& onOffNames();
const TetronValueTable& photoResolutionNames();
const TetronValueTable& videoResolutionNames();
const TetronValueTable& videoClipTimeNames();
const TetronValueTable& loopingVideoNames();
const TetronValueTable& cameraParameterNames();

// Parameter ids of cameraParameterNames() the program reads by number.
enum CameraParameter
{
    ParameterBatteryLevel = 1,
    ParameterBuzzer = 2,
    ParameterMenuAlert = 3,
    ParameterTotalFileNumber = 4,
    ParameterLastFileName = 7,
    ParameterRecordTotal = 8,
    ParameterMBytesRemaining = 9,
    ParameterTimestampEnable = 10,
    ParameterFlicker = 16,
    ParameterFirmwareVersion = 17,
    ParameterImageRes = 19,
    ParameterLoopingVideo = 21,
    ParameterTimelapse = 30,
    ParameterUIMode = 33,
    ParameterVideoClipTime = 35,
    ParameterVideoRes = 36
};

// A received parameter value converted as the parameter demands; invalid when the parameter's
// answer is not kept or the value is empty.
QVariant convertParameterValue(int parameterId, const QByteArray& text);
} // namespace TetronTables

Ulx::RemoteMediaTypes::CaptureMode cameraModeToCaptureMode(int cameraMode);
int captureModeToCameraMode(Ulx::RemoteMediaTypes::CaptureMode mode);
Ulx::MultimediaTypes::VideoConfig cameraVideoResolutionToVideoConfig(int resolution);
int videoConfigToCameraVideoResolution(Ulx::MultimediaTypes::VideoConfig config);
Ulx::MultimediaTypes::PhotoResolution cameraPhotoResolutionToPhotoResolution(int resolution);
int photoResolutionToCameraPhotoResolution(Ulx::MultimediaTypes::PhotoResolution resolution);

} // namespace Communication
} // namespace Ulx
