#include "inspection/CVideoPlayer.h"

CVideoPlayer::CVideoPlayer(QObject* parent)
    : QObject(parent)
{
}

Ulx::MultimediaTypes::PlaybackState CVideoPlayer::state() const
{
    return Ulx::MultimediaTypes::PlaybackStopped;
}

void CVideoPlayer::setImageOutputFormat(Ulx::MultimediaTypes::ImageOutputFormat)
{
}
