#pragma once

#include <QObject>

namespace Ulx {
namespace Multimedia {

// The facade of capture on the camera's own storage.
// Placeholder until the video issues land.
class CRemoteMediaCapture : public QObject
{
    Q_OBJECT

public:
    CRemoteMediaCapture();
    ~CRemoteMediaCapture() override;

    // Connects the capture logic that the library provides now.
    void connectLogic();

signals:
    void configChangeInProgressChanged();
};

} // namespace Multimedia
} // namespace Ulx
