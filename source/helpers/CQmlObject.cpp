#include "helpers/CQmlObject.h"

CQmlObject::CQmlObject(QObject* parent)
    : QObject(parent)
{
}

CQmlObject::~CQmlObject() = default;

QQmlListProperty<QObject> CQmlObject::data()
{
    return QQmlListProperty<QObject>(this, nullptr, &CQmlObject::appendData, &CQmlObject::countData,
                                     &CQmlObject::dataAt, &CQmlObject::clearData);
}

void CQmlObject::appendDataObject(QObject* object)
{
    if (!object || m_dataObjects.contains(object))
        return;
    m_dataObjects.append(object);
    connect(object, &QObject::destroyed, this, &CQmlObject::onDataObjectDestroyed);
}

int CQmlObject::dataObjectCount() const
{
    return m_dataObjects.size();
}

QObject* CQmlObject::dataObjectAt(int index) const
{
    if (index < 0 || index >= m_dataObjects.size())
        return nullptr;
    return m_dataObjects.at(index);
}

void CQmlObject::clearDataObjects()
{
    for (QObject* object : qAsConst(m_dataObjects))
        disconnect(object, &QObject::destroyed, this, &CQmlObject::onDataObjectDestroyed);
    m_dataObjects.clear();
}

void CQmlObject::onDataObjectDestroyed(QObject* object)
{
    m_dataObjects.removeAll(object);
}

void CQmlObject::appendData(QQmlListProperty<QObject>* list, QObject* object)
{
    static_cast<CQmlObject*>(list->object)->appendDataObject(object);
}

int CQmlObject::countData(QQmlListProperty<QObject>* list)
{
    return static_cast<CQmlObject*>(list->object)->dataObjectCount();
}

QObject* CQmlObject::dataAt(QQmlListProperty<QObject>* list, int index)
{
    return static_cast<CQmlObject*>(list->object)->dataObjectAt(index);
}

void CQmlObject::clearData(QQmlListProperty<QObject>* list)
{
    static_cast<CQmlObject*>(list->object)->clearDataObjects();
}
