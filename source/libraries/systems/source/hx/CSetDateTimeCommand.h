#pragma once

#include "hx/CAbstractSetCommand.h"

#include <QDateTime>

namespace Ulx {
namespace Communication {

// Sets the camera's clock.
class CSetDateTimeCommand : public CAbstractSetCommand
{
    Q_OBJECT

public:
    explicit CSetDateTimeCommand(const QDateTime& dateTime);
    ~CSetDateTimeCommand() override;

    QDateTime dateTime() const { return m_dateTime; }
    QString requestUrl() const override;

private:
    QDateTime m_dateTime;
};

} // namespace Communication
} // namespace Ulx
