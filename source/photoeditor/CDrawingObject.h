#pragma once

#include <QColor>
#include <QMetaType>
#include <QObject>

#include <memory>

class CDrawingObject;

// Drawing objects are always held by shared pointer: the registry, the editor's model, undo
// commands and templates share them. They never have a QObject parent.
using DrawingObjectPtr = std::shared_ptr<CDrawingObject>;

// One annotation on a photo: position, size, rotation and colours in image pixels.
class CDrawingObject : public QObject, public std::enable_shared_from_this<CDrawingObject>
{
    Q_OBJECT
    Q_PROPERTY(Type type READ type CONSTANT)
    Q_PROPERTY(int x READ x WRITE setX NOTIFY xChanged)
    Q_PROPERTY(int y READ y WRITE setY NOTIFY yChanged)
    Q_PROPERTY(int width READ width WRITE setWidth NOTIFY widthChanged)
    Q_PROPERTY(int height READ height WRITE setHeight NOTIFY heightChanged)
    Q_PROPERTY(int rotation READ rotation WRITE setRotation NOTIFY rotationChanged)
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor NOTIFY backgroundColorChanged)
    Q_PROPERTY(QColor strokeColor READ strokeColor WRITE setStrokeColor NOTIFY strokeColorChanged)
    Q_PROPERTY(int strokeWidth READ strokeWidth WRITE setStrokeWidth NOTIFY strokeWidthChanged)

public:
    enum Type
    {
        Invalid = 0,
        Image = 1,
        Text = 2,
        Rectangle = 3,
        Ellipse = 4,
        Line = 5,
        Cross = 6,
        Arrow = 7,
        DynamicText = 8
    };
    Q_ENUM(Type)

    static constexpr uint UnregisteredId = 0xFFFFFFFFu;

    CDrawingObject(Type type, uint id);
    CDrawingObject(Type type, uint id, int x, int y, int width, int height, int rotation,
                   const QColor& backgroundColor, const QColor& strokeColor, int strokeWidth);

    Type type() const { return m_type; }
    uint id() const { return m_id; }
    void setId(uint id) { m_id = id; }

    int x() const { return m_x; }
    void setX(int x);
    int y() const { return m_y; }
    void setY(int y);
    int width() const { return m_width; }
    void setWidth(int width);
    int height() const { return m_height; }
    void setHeight(int height);
    int rotation() const { return m_rotation; }
    void setRotation(int rotation);
    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor& color);
    QColor strokeColor() const { return m_strokeColor; }
    void setStrokeColor(const QColor& color);
    int strokeWidth() const { return m_strokeWidth; }
    void setStrokeWidth(int strokeWidth);

signals:
    void xChanged();
    void yChanged();
    void widthChanged();
    void heightChanged();
    void rotationChanged();
    void backgroundColorChanged();
    void strokeColorChanged();
    void strokeWidthChanged();

private:
    QColor m_backgroundColor = Qt::black;
    QColor m_strokeColor = Qt::white;
    int m_rotation = 0;
    uint m_id = UnregisteredId;
    int m_x = 0;
    int m_y = 0;
    int m_width = 0;
    int m_height = 0;
    int m_strokeWidth = 0;
    const Type m_type;
};

// A rotation in degrees truncated toward zero, held inside the int range.
int truncatedRotation(double rotation);

Q_DECLARE_METATYPE(DrawingObjectPtr)
