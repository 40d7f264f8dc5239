#pragma once

#include <QObject>

namespace Ulx {
namespace VideoOverlay {

// What the connected system's camera overlay can do, read from the caps storage on every call.
// Created by the systems library; GUI thread only. Its signals are relayed from the storage by
// queued connections, so they arrive one event-loop turn after the storage's.
class CVideoOverlayCaps : public QObject
{
    Q_OBJECT

public:
    CVideoOverlayCaps();
    ~CVideoOverlayCaps() override;

    int maximumColumnCount() const;
    int maximumRowCount() const;
    int maximumTextLength() const;
    bool textBackgroundColorSupported() const;
    bool unicodeTextSupported() const;
    bool graphicsSupported() const;
    bool overlaySupported() const;

signals:
    void overlaySupportedChanged();
    void graphicsSupportedChanged();
    void unicodeTextSupportedChanged();
    void textBackgroundColorSupportedChanged();
    void maximumColumnCountChanged();
    void maximumRowCountChanged();
    void maximumTextLengthChanged();
};

} // namespace VideoOverlay
} // namespace Ulx
