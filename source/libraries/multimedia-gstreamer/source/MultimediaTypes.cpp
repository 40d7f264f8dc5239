#include "MultimediaTypes.h"

#include "CImageMetaData.h"

namespace Ulx {

void MultimediaTypes::registerMetaTypes()
{
    qRegisterMetaType<Ulx::MultimediaTypes::PlaybackState>("Ulx::MultimediaTypes::PlaybackState");
    qRegisterMetaType<Ulx::MultimediaTypes::PlaybackError>("Ulx::MultimediaTypes::PlaybackError");
    qRegisterMetaType<Ulx::MultimediaTypes::RecordingState>("Ulx::MultimediaTypes::RecordingState");
    qRegisterMetaType<Ulx::MultimediaTypes::RecordingError>("Ulx::MultimediaTypes::RecordingError");
    qRegisterMetaType<Ulx::MultimediaTypes::StreamingState>("Ulx::MultimediaTypes::StreamingState");
    qRegisterMetaType<Ulx::MultimediaTypes::StreamingError>("Ulx::MultimediaTypes::StreamingError");
    qRegisterMetaType<Ulx::MultimediaTypes::ImageOutputFormat>("Ulx::MultimediaTypes::ImageOutputFormat");
    qRegisterMetaType<Ulx::MultimediaTypes::VideoConfig>("Ulx::MultimediaTypes::VideoConfig");
    qRegisterMetaType<Ulx::MultimediaTypes::VideoResolution>("Ulx::MultimediaTypes::VideoResolution");
    qRegisterMetaType<Ulx::MultimediaTypes::PhotoResolution>("Ulx::MultimediaTypes::PhotoResolution");
    qRegisterMetaType<Ulx::MultimediaTypes::StreamConfigError>("Ulx::MultimediaTypes::StreamConfigError");
    qRegisterMetaType<Ulx::Multimedia::CImageMetaData>("Ulx::Multimedia::CImageMetaData");
}

} // namespace Ulx
