#pragma once

#include <QColor>
#include <QString>

namespace Ulx {
namespace VideoOverlay {

// One text item of the camera overlay. Overlay logics tell items apart by the address of the
// object the caller passes, so a caller keeps one object per item for the item's lifetime.
class CVideoOverlayText
{
public:
    QString text() const { return m_text; }
    void setText(const QString& text) { m_text = text; }
    QColor textColor() const { return m_textColor; }
    void setTextColor(const QColor& color) { m_textColor = color; }
    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor& color) { m_backgroundColor = color; }
    int row() const { return m_row; }
    void setRow(int row) { m_row = row; }
    int column() const { return m_column; }
    void setColumn(int column) { m_column = column; }
    bool visible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }

private:
    QString m_text;
    QColor m_textColor = QColor(Qt::black);
    QColor m_backgroundColor = QColor(Qt::black);
    int m_row = 0;
    int m_column = 0;
    bool m_visible = false;
};

} // namespace VideoOverlay
} // namespace Ulx
