#pragma once

#include <QSet>

// What the camera gallery's data provider needs of the view over its day sections: to be
// told around a rebuild and after a change of the sections' rows, and which files the
// operator has ticked. The provider only borrows it; its owner detaches it before deleting
// it. GUI thread only.
class IRemoteGallerySections
{
public:
    virtual ~IRemoteGallerySections() = default;

    virtual void sectionsAboutToBeRebuilt() = 0;
    virtual void sectionsRebuilt() = 0;
    // The section rows themselves (titles, file counts) changed, the sections did not.
    virtual void refreshSections() = 0;
    virtual QSet<int> selectedFileIndices() const = 0;
};
