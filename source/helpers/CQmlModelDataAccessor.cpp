#include "helpers/CQmlModelDataAccessor.h"

CQmlModelDataAccessor::CQmlModelDataAccessor(QObject* parent)
    : QObject(parent)
{
}

QAbstractItemModel* CQmlModelDataAccessor::model() const
{
    return m_model.data();
}

void CQmlModelDataAccessor::setModel(QAbstractItemModel* model)
{
    if (m_model.data() == model)
        return;

    if (m_model)
        disconnect(m_model.data(), &QObject::destroyed, this, &CQmlModelDataAccessor::onModelDestroyed);
    m_model = model;
    m_roles.clear();

    if (model) {
        connect(model, &QObject::destroyed, this, &CQmlModelDataAccessor::onModelDestroyed);
        const QHash<int, QByteArray> roleNames = model->roleNames();
        m_roles.reserve(roleNames.size());
        for (auto it = roleNames.cbegin(); it != roleNames.cend(); ++it)
            m_roles.insert(it.value(), it.key());
    }
    emit modelChanged();
}

QVariant CQmlModelDataAccessor::data(int rowIndex, int columnIndex, const QByteArray& roleName) const
{
    QAbstractItemModel* model = m_model.data();
    if (!model)
        return QVariant();
    return model->data(model->index(rowIndex, columnIndex), m_roles.value(roleName, -1));
}

void CQmlModelDataAccessor::onModelDestroyed()
{
    // The guarded pointer is already null here; drop the stale roles and tell the bindings.
    m_roles.clear();
    emit modelChanged();
}
