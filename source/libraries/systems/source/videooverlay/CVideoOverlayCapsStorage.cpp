#include "videooverlay/CVideoOverlayCapsStorage.h"

namespace Ulx {
namespace VideoOverlay {

CVideoOverlayCapsStorage::CVideoOverlayCapsStorage()
    : QObject(nullptr)
{
}

CVideoOverlayCapsStorage::~CVideoOverlayCapsStorage() = default;

void CVideoOverlayCapsStorage::setMaximumColumnCount(int maximumColumnCount)
{
    if (m_maximumColumnCount == maximumColumnCount)
        return;
    m_maximumColumnCount = maximumColumnCount;
    emit maximumColumnCountChanged();
}

void CVideoOverlayCapsStorage::setMaximumRowCount(int maximumRowCount)
{
    if (m_maximumRowCount == maximumRowCount)
        return;
    m_maximumRowCount = maximumRowCount;
    emit maximumRowCountChanged();
}

void CVideoOverlayCapsStorage::setMaximumTextLength(int maximumTextLength)
{
    if (m_maximumTextLength == maximumTextLength)
        return;
    m_maximumTextLength = maximumTextLength;
    emit maximumTextLengthChanged();
}

void CVideoOverlayCapsStorage::setTextBackgroundColorSupported(bool textBackgroundColorSupported)
{
    if (m_textBackgroundColorSupported == textBackgroundColorSupported)
        return;
    m_textBackgroundColorSupported = textBackgroundColorSupported;
    emit textBackgroundColorSupportedChanged();
}

void CVideoOverlayCapsStorage::setUnicodeTextSupported(bool unicodeTextSupported)
{
    if (m_unicodeTextSupported == unicodeTextSupported)
        return;
    m_unicodeTextSupported = unicodeTextSupported;
    emit unicodeTextSupportedChanged();
}

void CVideoOverlayCapsStorage::setGraphicsSupported(bool graphicsSupported)
{
    if (m_graphicsSupported == graphicsSupported)
        return;
    m_graphicsSupported = graphicsSupported;
    emit graphicsSupportedChanged();
}

void CVideoOverlayCapsStorage::setOverlaySupported(bool overlaySupported)
{
    if (m_overlaySupported == overlaySupported)
        return;
    m_overlaySupported = overlaySupported;
    emit overlaySupportedChanged();
}

void CVideoOverlayCapsStorage::reset()
{
    setOverlaySupported(false);
    setGraphicsSupported(false);
    setUnicodeTextSupported(false);
    setTextBackgroundColorSupported(false);
    setMaximumColumnCount(0);
    setMaximumRowCount(0);
    setMaximumTextLength(0);
}

} // namespace VideoOverlay
} // namespace Ulx
