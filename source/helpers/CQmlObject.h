#pragma once

#include <QList>
#include <QObject>
#include <QQmlListProperty>

// A neutral QML container: children declared inside it land in "data". The listed objects
// are not owned; they belong to whoever created them (usually the QML engine), and one that
// is destroyed drops out of the list by itself.
class CQmlObject : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("DefaultProperty", "data")
    Q_PROPERTY(QQmlListProperty<QObject> data READ data)

public:
    explicit CQmlObject(QObject* parent = nullptr);
    ~CQmlObject() override;

    QQmlListProperty<QObject> data();

    void appendDataObject(QObject* object);
    int dataObjectCount() const;
    QObject* dataObjectAt(int index) const;
    void clearDataObjects();

public slots:
    void onDataObjectDestroyed(QObject* object);

private:
    static void appendData(QQmlListProperty<QObject>* list, QObject* object);
    static int countData(QQmlListProperty<QObject>* list);
    static QObject* dataAt(QQmlListProperty<QObject>* list, int index);
    static void clearData(QQmlListProperty<QObject>* list);

    QList<QObject*> m_dataObjects;
};
