#include "videooverlay/VideoOverlayTypes.h"
