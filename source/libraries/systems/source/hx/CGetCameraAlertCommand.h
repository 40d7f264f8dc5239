#pragma once

#include "hx/CAbstractGetCommand.h"

namespace Ulx {
namespace Communication {

// Reads the camera's alert flag bits (storage, temperature, recording).
class CGetCameraAlertCommand : public CAbstractGetCommand
{
    Q_OBJECT

public:
    CGetCameraAlertCommand();
    ~CGetCameraAlertCommand() override;

    int alert() const { return m_alert; }
    // Whether the answer held an alert line at all.
    bool hasAlert() const { return m_hasAlert; }

    QString requestUrl() const override;
    void processNetworkReply(QNetworkReply* reply) override;

private:
    int m_alert = 0;
    bool m_hasAlert = false;
};

} // namespace Communication
} // namespace Ulx
