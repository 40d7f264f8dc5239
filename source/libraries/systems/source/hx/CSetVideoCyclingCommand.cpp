#include "hx/CSetVideoCyclingCommand.h"

#include "hx/TetronCameraUrls.h"
#include "hx/TetronValueTables.h"

namespace Ulx {
namespace Communication {

CSetVideoCyclingCommand::CSetVideoCyclingCommand(int value)
    : CAbstractSetCommand(SetVideoCycling)
    , m_looping(value)
{
}

CSetVideoCyclingCommand::~CSetVideoCyclingCommand() = default;

QString CSetVideoCyclingCommand::requestUrl() const
{
    return setUrl(QStringLiteral("LoopingVideo"), TetronTables::loopingVideoNames().name(m_looping));
}

} // namespace Communication
} // namespace Ulx
