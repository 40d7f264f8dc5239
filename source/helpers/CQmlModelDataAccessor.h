#pragma once

#include <QAbstractItemModel>
#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QVariant>

// Reads any cell of an item model by role name from QML. The model is not owned; it is held
// through a guarded pointer because QML may destroy it before the accessor, and its
// destruction clears the accessor's model (with modelChanged).
class CQmlModelDataAccessor : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QAbstractItemModel* model READ model WRITE setModel NOTIFY modelChanged)

public:
    explicit CQmlModelDataAccessor(QObject* parent = nullptr);

    QAbstractItemModel* model() const;
    void setModel(QAbstractItemModel* model);

    // The role table is taken when the model is set: roles the model adds later read as -1.
    Q_INVOKABLE QVariant data(int rowIndex, int columnIndex, const QByteArray& roleName) const;

signals:
    void modelChanged();

private slots:
    void onModelDestroyed();

private:
    QPointer<QAbstractItemModel> m_model;
    QHash<QByteArray, int> m_roles;
};
