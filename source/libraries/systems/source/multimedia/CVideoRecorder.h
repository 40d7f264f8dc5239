#pragma once

#include <QObject>

namespace Ulx {
namespace Multimedia {

// The facade of local video recording from the live stream.
// Placeholder until the video issues land.
class CVideoRecorder : public QObject
{
    Q_OBJECT

public:
    CVideoRecorder();
    ~CVideoRecorder() override;

signals:

};

} // namespace Multimedia
} // namespace Ulx
