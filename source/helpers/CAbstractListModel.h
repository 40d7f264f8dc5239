#pragma once

#include <QAbstractListModel>

// A list model over one container of rows. Subclasses add data(), roleNames() and the
// operations that change the rows (with the matching begin/end calls of the base).
template <typename Container, typename Item>
class CAbstractListModel : public QAbstractListModel
{
public:
    explicit CAbstractListModel(QObject* parent = nullptr)
        : QAbstractListModel(parent)
    {
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_items.size());
    }

    const Container& items() const { return m_items; }

protected:
    // The rows are the data: a reset keeps them, the subclass replaces them itself.
    void resetInternalData() {}

    Container m_items;
};
