#pragma once

#include <QAbstractListModel>
#include <QSet>

// Base of every list model whose rows the operator can tick: keeps the ticked row numbers and
// offers them to QML as the role "modelData_Selected" (Qt::UserRole). Subclasses own the rows,
// add their roles from Qt::UserRole + 1 upwards and join roleNames() of this class into theirs.
// deselectRow() does not renumber the other rows: callers that remove several rows clear the
// selection afterwards, or move it with the row-insert and row-remove helpers. GUI thread only.
class CBaseSelectionModel : public QAbstractListModel
{
    Q_OBJECT

public:
    static constexpr int SelectedRole = Qt::UserRole;

    explicit CBaseSelectionModel(QObject* parent = nullptr);
    ~CBaseSelectionModel() override;

    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QHash<int, QByteArray> roleNames() const override;

    // The rows that selectAll() leaves out; none here.
    virtual QSet<int> unselectableRows() const;

    int selectionCount() const;
    QSet<int> selection() const;
    void setSelection(const QSet<int>& selection);
    void selectAll();
    void clearSelection();
    void clearSelection(bool notifyRows);
    void deselectRow(int row, bool notifyRow);
    void notifySelectionChanged(bool notifyRows);
    // Keep the ticks on the same items when one row goes or comes: selected rows behind it
    // move by one. Emits no signal (a removed selected row is dropped through deselectRow).
    void shiftSelectionForInsertedRow(int row);
    void shiftSelectionForRemovedRow(int row);

signals:
    void selectionCountChanged();

private:
    bool isValidRow(int row) const;

    QSet<int> m_selection;
};
