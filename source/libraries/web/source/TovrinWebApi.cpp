#include "TovrinWebApi.h"

namespace Tovrin {
namespace Web {

TovrinWebApi::TovrinWebApi(QObject* parent)
    : QObject(parent)
{
}

TovrinWebApi::~TovrinWebApi() = default;

} // namespace Web
} // namespace Tovrin
