#include "hx/CAbstractGetCommand.h"

namespace Ulx {
namespace Communication {

CAbstractGetCommand::CAbstractGetCommand(Type type)
    : CAbstractTetronCommand(type)
{
}

CAbstractGetCommand::~CAbstractGetCommand() = default;

void CAbstractGetCommand::execute(QNetworkAccessManager* manager)
{
    sendRequest(manager, requestUrl());
}

} // namespace Communication
} // namespace Ulx
