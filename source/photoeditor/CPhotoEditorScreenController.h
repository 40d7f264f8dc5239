#pragma once

#include <QObject>

// Placeholder until the photo editor screen lands.
class CPhotoEditorScreenController : public QObject
{
    Q_OBJECT

public:
    explicit CPhotoEditorScreenController(QObject* parent = nullptr);
};
