#pragma once

#include "rvq/CRVQSystemQueryLogic.h"

namespace Ulx {
namespace SystemControl {

// The query logic of the ZPX and ZPX2 systems: zoom, focus, tilt, light, picture options,
// climate, pressure, inclination, distance laser and the camera's in-focus distance range.
// A fast poll follows what moves; a slow poll reads the sensors.
class CZPXSystemQueryLogic : public CRVQSystemQueryLogic
{
    Q_OBJECT

public:
    static constexpr double CameraDistanceMeasurementRange = 62.0;
    static constexpr double LaserDistanceMeasurementRange = 100.0;

    CZPXSystemQueryLogic(Ulx::IRVQMessageSender* sender, Ulx::IStorageProvider* storageProvider);
    ~CZPXSystemQueryLogic() override;

    void processMessage(Ulx::CRVQMessage* message) override;
    void start() override;
    void stop() override;

protected:
    void timerEvent(QTimerEvent* event) override;

private slots:
    void updateCameraDistanceRange();

private:
    void fastPoll();
    void slowPoll();

    QBasicTimer m_fastTimer;
    QBasicTimer m_slowTimer;
};

} // namespace SystemControl
} // namespace Ulx
