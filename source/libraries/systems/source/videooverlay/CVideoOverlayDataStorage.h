#pragma once

#include <QObject>

namespace Ulx {
namespace VideoOverlay {

// Whether the camera overlay is on. Written by the overlay logics; owned by the systems library.
class CVideoOverlayDataStorage : public QObject
{
    Q_OBJECT

public:
    CVideoOverlayDataStorage();
    ~CVideoOverlayDataStorage() override;

    bool videoOverlayEnabled() const { return m_videoOverlayEnabled; }
    void setVideoOverlayEnabled(bool enabled);

    void reset();

signals:
    void videoOverlayEnabledChanged();

private:
    bool m_videoOverlayEnabled = false;
};

} // namespace VideoOverlay
} // namespace Ulx
