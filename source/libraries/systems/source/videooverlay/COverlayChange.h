#pragma once

#include "videooverlay/CVideoOverlayImage.h"
#include "videooverlay/CVideoOverlayText.h"

namespace Ulx {
namespace VideoOverlay {

// One change of a Brennic overlay update; the update owns its changes. The item a change is
// compared against is looked up in the object store when the request is built.
class COverlayChange
{
public:
    enum Type
    {
        TypeImage = 0,
        TypeText = 1,
        TypeState = 2,
        TypeClear = 3
    };

    explicit COverlayChange(Type type)
        : m_type(type)
    {
    }
    virtual ~COverlayChange() = default;
    Type type() const { return m_type; }

private:
    Type m_type;
};

class COverlayImageChange : public COverlayChange
{
public:
    COverlayImageChange(const void* key, const CVideoOverlayImage& image)
        : COverlayChange(TypeImage)
        , key(key)
        , image(image)
    {
    }
    const void* key;
    CVideoOverlayImage image; // the item as drawn; its picture is prepared for the board when sent
};

class COverlayTextChange : public COverlayChange
{
public:
    COverlayTextChange(const void* key, const CVideoOverlayText& text)
        : COverlayChange(TypeText)
        , key(key)
        , text(text)
    {
    }
    const void* key;
    CVideoOverlayText text;
};

class COverlayStateChange : public COverlayChange
{
public:
    explicit COverlayStateChange(bool enabled)
        : COverlayChange(TypeState)
        , enabled(enabled)
    {
    }
    bool enabled;
};

class COverlayClearChange : public COverlayChange
{
public:
    COverlayClearChange()
        : COverlayChange(TypeClear)
    {
    }
};

} // namespace VideoOverlay
} // namespace Ulx
