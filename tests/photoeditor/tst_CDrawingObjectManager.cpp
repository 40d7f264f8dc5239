#include "photoeditor/CDrawingObjectManager.h"
#include "photoeditor/DrawingObjectFactory.h"

#include <QSignalSpy>
#include <QTest>

namespace {

DrawingObjectPtr newObject(uint id = CDrawingObject::UnregisteredId)
{
    return createDrawingObject(CDrawingObject::Rectangle, id, 0, 0, 10, 10, 0, Qt::black, Qt::white, 1);
}

} // namespace

class tst_CDrawingObjectManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<DrawingObjectPtr>("DrawingObjectPtr"); }
    void newObjectsGetIdsUpwardAndRemovedIdsAreNotReused();
    void addIgnoresRegisteredObjects();
    void restorePutsTheSameObjectBackUnderItsId();
    void restoreIgnoresTakenIdsAndEmptyPointers();
    void removeAnnouncesTheObjectWhileItIsStillAlive();
    void removeOfUnknownIdEmitsNothing();
    void setObjectsFillsGapsFromZeroWithoutSignals();
    void setObjectsLetsTheLaterOfTwoEqualIdsWin();
    void clearResetsTheCounter();
};

void tst_CDrawingObjectManager::newObjectsGetIdsUpwardAndRemovedIdsAreNotReused()
{
    CDrawingObjectManager manager;
    QSignalSpy added(&manager, &CDrawingObjectManager::objectAdded);
    const DrawingObjectPtr a = newObject();
    const DrawingObjectPtr b = newObject();
    const DrawingObjectPtr c = newObject();
    manager.addObject(a);
    manager.addObject(b);
    manager.addObject(c);
    QCOMPARE(a->id(), 0u);
    QCOMPARE(b->id(), 1u);
    QCOMPARE(c->id(), 2u);
    QCOMPARE(added.count(), 3);
    QCOMPARE(added.at(1).at(0).value<DrawingObjectPtr>(), b);

    manager.removeObject(1u);
    const DrawingObjectPtr d = newObject();
    manager.addObject(d);
    QCOMPARE(d->id(), 3u);
    QCOMPARE(manager.object(3), d);
    QVERIFY(!manager.object(1));
    QCOMPARE(manager.objects().size(), 3);
}

void tst_CDrawingObjectManager::addIgnoresRegisteredObjects()
{
    CDrawingObjectManager manager;
    QSignalSpy added(&manager, &CDrawingObjectManager::objectAdded);
    manager.addObject(newObject(4));
    manager.addObject(DrawingObjectPtr());
    QCOMPARE(added.count(), 0);
    QVERIFY(manager.objects().isEmpty());
}

void tst_CDrawingObjectManager::restorePutsTheSameObjectBackUnderItsId()
{
    CDrawingObjectManager manager;
    const DrawingObjectPtr a = newObject();
    manager.addObject(a);
    manager.addObject(newObject());
    manager.removeObject(a);
    QSignalSpy added(&manager, &CDrawingObjectManager::objectAdded);
    manager.restoreObject(a);
    QCOMPARE(added.count(), 1);
    QCOMPARE(added.at(0).at(0).value<DrawingObjectPtr>(), a);
    QCOMPARE(manager.object(0), a);
}

void tst_CDrawingObjectManager::restoreIgnoresTakenIdsAndEmptyPointers()
{
    CDrawingObjectManager manager;
    const DrawingObjectPtr a = newObject();
    manager.addObject(a);
    QSignalSpy added(&manager, &CDrawingObjectManager::objectAdded);
    manager.restoreObject(newObject(0));
    manager.restoreObject(DrawingObjectPtr());
    QCOMPARE(added.count(), 0);
    QCOMPARE(manager.object(0), a);
    QCOMPARE(manager.objects().size(), 1);
}

void tst_CDrawingObjectManager::removeAnnouncesTheObjectWhileItIsStillAlive()
{
    CDrawingObjectManager manager;
    DrawingObjectPtr a = newObject();
    manager.addObject(a);
    std::weak_ptr<CDrawingObject> weak = a;
    a.reset();

    bool aliveInSignal = false;
    connect(&manager, &CDrawingObjectManager::objectRemoved, this, [&](DrawingObjectPtr object) {
        aliveInSignal = object && !weak.expired() && object->id() == 0u;
    });
    manager.removeObject(0u);
    QVERIFY(aliveInSignal);
    QVERIFY(weak.expired());
    QVERIFY(manager.objects().isEmpty());
}

void tst_CDrawingObjectManager::removeOfUnknownIdEmitsNothing()
{
    CDrawingObjectManager manager;
    manager.addObject(newObject());
    QSignalSpy removed(&manager, &CDrawingObjectManager::objectRemoved);
    manager.removeObject(5u);
    manager.removeObject(DrawingObjectPtr());
    manager.removeObject(newObject(7));
    QCOMPARE(removed.count(), 0);
    QCOMPARE(manager.objects().size(), 1);
}

void tst_CDrawingObjectManager::setObjectsFillsGapsFromZeroWithoutSignals()
{
    CDrawingObjectManager manager;
    manager.addObject(newObject());
    manager.addObject(newObject());
    QSignalSpy added(&manager, &CDrawingObjectManager::objectAdded);
    QSignalSpy removed(&manager, &CDrawingObjectManager::objectRemoved);
    manager.setObjects({newObject(0), newObject(5)});
    QCOMPARE(added.count(), 0);
    QCOMPARE(removed.count(), 0);
    QCOMPARE(manager.objects().size(), 2);

    QList<uint> ids;
    for (int i = 0; i < 6; ++i) {
        const DrawingObjectPtr object = newObject();
        manager.addObject(object);
        ids << object->id();
    }
    QCOMPARE(ids, (QList<uint>{1, 2, 3, 4, 6, 7}));
}

void tst_CDrawingObjectManager::setObjectsLetsTheLaterOfTwoEqualIdsWin()
{
    CDrawingObjectManager manager;
    const DrawingObjectPtr first = newObject(3);
    const DrawingObjectPtr second = newObject(3);
    manager.setObjects({first, second});
    QCOMPARE(manager.objects().size(), 1);
    QCOMPARE(manager.object(3), second);
    manager.setObjects({});
    QVERIFY(manager.objects().isEmpty());
}

void tst_CDrawingObjectManager::clearResetsTheCounter()
{
    CDrawingObjectManager manager;
    for (int i = 0; i < 3; ++i) {
        manager.addObject(newObject());
    }
    QSignalSpy removed(&manager, &CDrawingObjectManager::objectRemoved);
    manager.clear();
    QCOMPARE(removed.count(), 0);
    QVERIFY(manager.objects().isEmpty());
    const DrawingObjectPtr object = newObject();
    manager.addObject(object);
    QCOMPARE(object->id(), 0u);
}

QTEST_GUILESS_MAIN(tst_CDrawingObjectManager)
#include "tst_CDrawingObjectManager.moc"
