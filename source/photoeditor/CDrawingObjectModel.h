#pragma once

#include "helpers/CAbstractListModel.h"
#include "photoeditor/CDrawingObject.h"

#include <QVector>

// The photo editor's objects in display order: later rows are drawn on top. Shares the
// objects with the registry and the undo commands. GUI thread only.
class CDrawingObjectModel : public CAbstractListModel<QVector<DrawingObjectPtr>, DrawingObjectPtr>
{
    Q_OBJECT

public:
    enum Roles
    {
        RoleObject = Qt::UserRole
    };

    CDrawingObjectModel() = default;

    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void appendObject(const DrawingObjectPtr& object);
    // False when no row holds that very object.
    bool removeObject(const DrawingObjectPtr& object);
    void resetObjects(const QVector<DrawingObjectPtr>& objects);
};
