#include "helpers/CQmlObject.h"

#include "support/QmlWarningGuard.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QtTest>

#include <memory>

class tst_CQmlObject : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QmlWarningGuard::install(); }
    void cleanup() { QmlWarningGuard::checkFunction(); }

    void appendIsIdempotent();
    void destroyedObjectsLeaveTheList();
    void clearKeepsObjectsAlive();
    void qmlChildrenGoIntoData();
};

void tst_CQmlObject::appendIsIdempotent()
{
    CQmlObject container;
    QObject a;
    QObject b;
    QQmlListProperty<QObject> data = container.data();

    data.append(&data, &a);
    data.append(&data, &a);
    data.append(&data, &b);
    data.append(&data, nullptr);

    QCOMPARE(data.count(&data), 2);
    QCOMPARE(data.at(&data, 0), &a);
    QCOMPARE(data.at(&data, 1), &b);
    QCOMPARE(data.at(&data, 2), nullptr);
    QCOMPARE(data.at(&data, -1), nullptr);
}

void tst_CQmlObject::destroyedObjectsLeaveTheList()
{
    CQmlObject container;
    QObject keep;
    auto gone = std::make_unique<QObject>();
    container.appendDataObject(gone.get());
    container.appendDataObject(&keep);

    gone.reset();
    QCOMPARE(container.dataObjectCount(), 1);
    QCOMPARE(container.dataObjectAt(0), &keep);
}

void tst_CQmlObject::clearKeepsObjectsAlive()
{
    CQmlObject container;
    QPointer<QObject> child = new QObject(&container);
    auto outside = std::make_unique<QObject>();
    container.appendDataObject(child);
    container.appendDataObject(outside.get());

    QQmlListProperty<QObject> data = container.data();
    data.clear(&data);
    QCOMPARE(container.dataObjectCount(), 0);
    QVERIFY(child);

    // After the clear the container no longer follows the object's destruction.
    QSignalSpy destroyed(outside.get(), &QObject::destroyed);
    outside.reset();
    QCOMPARE(destroyed.count(), 1);
    QCOMPARE(container.dataObjectCount(), 0);

    // The container owns nothing: destroying it leaves listed objects alive.
    auto survivor = std::make_unique<QObject>();
    QPointer<QObject> watch = survivor.get();
    {
        CQmlObject shortLived;
        shortLived.appendDataObject(survivor.get());
    }
    QVERIFY(watch);
}

void tst_CQmlObject::qmlChildrenGoIntoData()
{
    qmlRegisterType<CQmlObject>("Culvertix.Utils", 1, 0, "QmlObject");
    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData("import QtQml 2.15\n"
                      "import Culvertix.Utils 1.0\n"
                      "QmlObject {\n"
                      "    QtObject { objectName: \"first\" }\n"
                      "    QtObject { objectName: \"second\" }\n"
                      "}\n",
                      QUrl());
    std::unique_ptr<QObject> root(component.create());
    QVERIFY2(root, qPrintable(component.errorString()));

    auto* container = qobject_cast<CQmlObject*>(root.get());
    QVERIFY(container);
    QCOMPARE(container->dataObjectCount(), 2);
    QCOMPARE(container->dataObjectAt(0)->objectName(), QStringLiteral("first"));
    QCOMPARE(container->dataObjectAt(1)->objectName(), QStringLiteral("second"));
}

QTEST_GUILESS_MAIN(tst_CQmlObject)
#include "tst_CQmlObject.moc"
