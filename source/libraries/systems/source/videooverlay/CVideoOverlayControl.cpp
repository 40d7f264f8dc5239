#include "videooverlay/CVideoOverlayControl.h"

#include "CUlxSystemsLibraryPrivate.h"
#include "videooverlay/CAbstractVideoOverlayLogic.h"
#include "videooverlay/CVideoOverlayDataStorage.h"

namespace Ulx {
namespace VideoOverlay {

namespace {

CVideoOverlayDataStorage* dataStorage()
{
    CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
    return library ? library->videoOverlayDataStorage() : nullptr;
}

CAbstractVideoOverlayLogic* currentLogic()
{
    CUlxSystemsLibraryPrivate* library = CUlxSystemsLibraryPrivate::instance();
    return library ? library->videoOverlayLogic() : nullptr;
}

} // namespace

CVideoOverlayControl::CVideoOverlayControl()
    : QObject(nullptr)
{
    if (CVideoOverlayDataStorage* storage = dataStorage())
        connect(storage, &CVideoOverlayDataStorage::videoOverlayEnabledChanged, this,
                &CVideoOverlayControl::videoOverlayEnabledChanged);
}

CVideoOverlayControl::~CVideoOverlayControl() = default;

void CVideoOverlayControl::beginUpdate()
{
    if (CAbstractVideoOverlayLogic* logic = currentLogic())
        logic->beginUpdate();
}

void CVideoOverlayControl::endUpdate()
{
    if (CAbstractVideoOverlayLogic* logic = currentLogic())
        logic->endUpdate();
}

void CVideoOverlayControl::drawImage(const CVideoOverlayImage& image)
{
    if (CAbstractVideoOverlayLogic* logic = currentLogic())
        logic->drawImage(image);
}

void CVideoOverlayControl::drawText(const CVideoOverlayText& text)
{
    if (CAbstractVideoOverlayLogic* logic = currentLogic())
        logic->drawText(text);
}

bool CVideoOverlayControl::videoOverlayEnabled() const
{
    const CVideoOverlayDataStorage* storage = dataStorage();
    return storage && storage->videoOverlayEnabled();
}

void CVideoOverlayControl::setVideoOverlayEnabled(bool enabled)
{
    if (CAbstractVideoOverlayLogic* logic = currentLogic())
        logic->setVideoOverlayEnabled(enabled);
}

void CVideoOverlayControl::clearVideoOverlay()
{
    if (CAbstractVideoOverlayLogic* logic = currentLogic())
        logic->clearVideoOverlay();
}

void CVideoOverlayControl::setScript(Ulx::VideoOverlayTypes::Script script)
{
    if (CAbstractVideoOverlayLogic* logic = currentLogic())
        logic->setScript(script);
}

} // namespace VideoOverlay
} // namespace Ulx
