#include "CGstMultimediaLibrary.h"

#include "MultimediaTypes.h"
#include "RemoteMediaTypes.h"

#include <gst/gst.h>

namespace Ulx {
namespace GStreamer {

bool CGstMultimediaLibrary::initialize(int* argc, char*** argv)
{
    gst_init(argc, argv);
    Ulx::MultimediaTypes::registerMetaTypes();
    Ulx::RemoteMediaTypes::registerMetaTypes();
    return true;
}

void CGstMultimediaLibrary::finalize()
{
}

void CGstMultimediaLibrary::setAlwaysUseSoftwareDecoding(bool enabled)
{
    GstPluginFeature* feature = gst_registry_lookup_feature(gst_registry_get(), "avdec_h264");
    if (!feature)
        return;
    gst_plugin_feature_set_rank(feature, enabled ? SoftwareDecoderPreferredRank : SoftwareDecoderDefaultRank);
    gst_object_unref(feature);
}

} // namespace GStreamer
} // namespace Ulx
