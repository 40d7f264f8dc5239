#pragma once

#include <QObject>

namespace Ulx {
namespace VideoOverlay {

// What the connected system's overlay can do. Written by the overlay logics, read by the caps
// facade; one instance, owned by the systems library.
class CVideoOverlayCapsStorage : public QObject
{
    Q_OBJECT

public:
    CVideoOverlayCapsStorage();
    ~CVideoOverlayCapsStorage() override;

    int maximumColumnCount() const { return m_maximumColumnCount; }
    int maximumRowCount() const { return m_maximumRowCount; }
    int maximumTextLength() const { return m_maximumTextLength; }
    bool textBackgroundColorSupported() const { return m_textBackgroundColorSupported; }
    bool unicodeTextSupported() const { return m_unicodeTextSupported; }
    bool graphicsSupported() const { return m_graphicsSupported; }
    bool overlaySupported() const { return m_overlaySupported; }

    void setMaximumColumnCount(int maximumColumnCount);
    void setMaximumRowCount(int maximumRowCount);
    void setMaximumTextLength(int maximumTextLength);
    void setTextBackgroundColorSupported(bool textBackgroundColorSupported);
    void setUnicodeTextSupported(bool unicodeTextSupported);
    void setGraphicsSupported(bool graphicsSupported);
    void setOverlaySupported(bool overlaySupported);

    void reset();

signals:
    void overlaySupportedChanged();
    void graphicsSupportedChanged();
    void unicodeTextSupportedChanged();
    void textBackgroundColorSupportedChanged();
    void maximumColumnCountChanged();
    void maximumRowCountChanged();
    void maximumTextLengthChanged();

private:
    int m_maximumColumnCount = 0;
    int m_maximumRowCount = 0;
    int m_maximumTextLength = 0;
    bool m_textBackgroundColorSupported = false;
    bool m_unicodeTextSupported = false;
    bool m_graphicsSupported = false;
    bool m_overlaySupported = false;
};

} // namespace VideoOverlay
} // namespace Ulx
