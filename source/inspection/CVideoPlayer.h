#pragma once

#include "MultimediaTypes.h"

#include <QObject>

// Placeholder until the local video player lands.
class CVideoPlayer : public QObject
{
    Q_OBJECT

public:
    explicit CVideoPlayer(QObject* parent = nullptr);

    Ulx::MultimediaTypes::PlaybackState state() const;
    void setImageOutputFormat(Ulx::MultimediaTypes::ImageOutputFormat format);

signals:
    void stateChanged();
};
