#include "hx/CSetDateTimeCommand.h"

namespace Ulx {
namespace Communication {

CSetDateTimeCommand::CSetDateTimeCommand(const QDateTime& dateTime)
    : CAbstractSetCommand(SetDateTime)
    , m_dateTime(dateTime)
{
}

CSetDateTimeCommand::~CSetDateTimeCommand() = default;

QString CSetDateTimeCommand::requestUrl() const
{
    return setUrl(QStringLiteral("TimeSettings"), m_dateTime.toString(QStringLiteral("yyyy$MM$dd$HH$mm$ss")));
}

} // namespace Communication
} // namespace Ulx
