import QtQuick 2.15

// The thumbnail of a media file from the "Thumbnail" image provider. It is asked for again each
// time the image shows again (its screen back on top after the media view or the photo
// editor): the provider answers unchanged files from its cache and makes a new thumbnail of a
// file that was changed meanwhile, which a source that never changes would not ask for.
Image {
    id: image

    property url fileUrl

    property bool requested: true
    // Raised when files shown may have changed while the image stayed on screen (a drawing
    // template applied from the gallery): the thumbnail is asked for again.
    property int revision: 0

    function reload() {
        requested = false
        requested = true
    }

    onRevisionChanged: reload()

    asynchronous: true
    cache: false
    source: requested && fileUrl.toString() !== "" ? "image://Thumbnail/" + fileUrl : ""

    onVisibleChanged: {
        if (visible)
            reload()
    }
}
