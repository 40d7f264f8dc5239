#pragma once

#include <QtGlobal>

namespace Tovrin {
namespace Web {

// The method a request is signed with; the communicator chooses the verb it sends.
enum RequestMethod : qint32
{
    GET = 0,
    POST = 1,
    PUT = 2
};

} // namespace Web
} // namespace Tovrin
