#include "videooverlay/CVideoOverlayCaps.h"

#include "CUlxSystemsLibraryPrivate.h"
#include "videooverlay/CVideoOverlayCapsStorage.h"

namespace Ulx {
namespace VideoOverlay {

namespace {

CVideoOverlayCapsStorage* capsStorage()
{
    CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
    return library ? library->videoOverlayCapsStorage() : nullptr;
}

} // namespace

CVideoOverlayCaps::CVideoOverlayCaps()
    : QObject(nullptr)
{
    CVideoOverlayCapsStorage* storage = capsStorage();
    if (!storage)
        return;
    connect(storage, &CVideoOverlayCapsStorage::overlaySupportedChanged, this,
            &CVideoOverlayCaps::overlaySupportedChanged, Qt::QueuedConnection);
    connect(storage, &CVideoOverlayCapsStorage::graphicsSupportedChanged, this,
            &CVideoOverlayCaps::graphicsSupportedChanged, Qt::QueuedConnection);
    connect(storage, &CVideoOverlayCapsStorage::unicodeTextSupportedChanged, this,
            &CVideoOverlayCaps::unicodeTextSupportedChanged, Qt::QueuedConnection);
    connect(storage, &CVideoOverlayCapsStorage::textBackgroundColorSupportedChanged, this,
            &CVideoOverlayCaps::textBackgroundColorSupportedChanged, Qt::QueuedConnection);
    connect(storage, &CVideoOverlayCapsStorage::maximumColumnCountChanged, this,
            &CVideoOverlayCaps::maximumColumnCountChanged, Qt::QueuedConnection);
    connect(storage, &CVideoOverlayCapsStorage::maximumRowCountChanged, this,
            &CVideoOverlayCaps::maximumRowCountChanged, Qt::QueuedConnection);
    connect(storage, &CVideoOverlayCapsStorage::maximumTextLengthChanged, this,
            &CVideoOverlayCaps::maximumTextLengthChanged, Qt::QueuedConnection);
}

CVideoOverlayCaps::~CVideoOverlayCaps() = default;

int CVideoOverlayCaps::maximumColumnCount() const
{
    const CVideoOverlayCapsStorage* storage = capsStorage();
    return storage ? storage->maximumColumnCount() : 0;
}

int CVideoOverlayCaps::maximumRowCount() const
{
    const CVideoOverlayCapsStorage* storage = capsStorage();
    return storage ? storage->maximumRowCount() : 0;
}

int CVideoOverlayCaps::maximumTextLength() const
{
    const CVideoOverlayCapsStorage* storage = capsStorage();
    return storage ? storage->maximumTextLength() : 0;
}

bool CVideoOverlayCaps::textBackgroundColorSupported() const
{
    const CVideoOverlayCapsStorage* storage = capsStorage();
    return storage && storage->textBackgroundColorSupported();
}

bool CVideoOverlayCaps::unicodeTextSupported() const
{
    const CVideoOverlayCapsStorage* storage = capsStorage();
    return storage && storage->unicodeTextSupported();
}

bool CVideoOverlayCaps::graphicsSupported() const
{
    const CVideoOverlayCapsStorage* storage = capsStorage();
    return storage && storage->graphicsSupported();
}

bool CVideoOverlayCaps::overlaySupported() const
{
    const CVideoOverlayCapsStorage* storage = capsStorage();
    return storage && storage->overlaySupported();
}

} // namespace VideoOverlay
} // namespace Ulx
