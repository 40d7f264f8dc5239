#pragma once

#include <QObject>

// The enumerations of the galleries and of the file-system model, read by QML from
// "Culvertix.Models" as GalleryTypes.
class GalleryTypes
{
    Q_GADGET

public:
    enum FileType
    {
        FileTypeInvalid = 0,
        FileTypePhoto = 1,
        FileTypeVideo = 2
    };
    Q_ENUM(FileType)

    enum FileState
    {
        FileStateStoredLocally = 0,
        FileStateStoredRemotely = 1,
        FileStateNotAvailable = 2
    };
    Q_ENUM(FileState)

    enum ItemType
    {
        ItemTypeInvalid = 0,
        ItemTypeDirectory = 1,
        ItemTypeLinkUp = 2,
        ItemTypePhotoFile = 3,
        ItemTypeVideoFile = 4
    };
    Q_ENUM(ItemType)
};
