#pragma once

#include <QtGlobal>

#include <memory>

namespace Ulx {
namespace VideoOverlay {

class CVideoOverlayImage;
class CVideoOverlayText;

// The overlay objects a board keeps, as the overlay logic knows them: per caller's item (the
// key is the item's address) the board's handle and the item as the board last confirmed it.
// Updates read it when they build their request and write the board's results back into it.
class IOverlayObjectStore
{
public:
    virtual ~IOverlayObjectStore() = default;

    virtual quint64 imageHandle(const void* key) const = 0;
    virtual void storeImage(const void* key, quint64 handle, const CVideoOverlayImage& image) = 0;
    virtual void updateImage(const void* key, const CVideoOverlayImage& image) = 0;
    virtual quint64 textHandle(const void* key) const = 0;
    virtual void storeText(const void* key, quint64 handle, const CVideoOverlayText& text) = 0;
    virtual void updateText(const void* key, const CVideoOverlayText& text) = 0;
    // Drops every text object; the board keeps its images over a clear.
    virtual void clear() = 0;

    // The item as last confirmed under the key, or null: what a change is compared against
    // when its request is built, not when it was drawn.
    virtual std::shared_ptr<const CVideoOverlayImage> confirmedImage(const void* key) const = 0;
    virtual std::shared_ptr<const CVideoOverlayText> confirmedText(const void* key) const = 0;
};

} // namespace VideoOverlay
} // namespace Ulx
