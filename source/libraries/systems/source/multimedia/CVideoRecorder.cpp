#include "multimedia/CVideoRecorder.h"

namespace Ulx {
namespace Multimedia {

CVideoRecorder::CVideoRecorder()
    : QObject(nullptr)
{
}

CVideoRecorder::~CVideoRecorder() = default;

} // namespace Multimedia
} // namespace Ulx
