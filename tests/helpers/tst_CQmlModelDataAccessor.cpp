#include "helpers/CQmlModelDataAccessor.h"

#include <QStringListModel>
#include <QtTest>

#include <memory>

namespace {

// A list model that records the roles it is asked for.
class RecordingModel : public QStringListModel
{
public:
    using QStringListModel::QStringListModel;

    QHash<int, QByteArray> roleNames() const override
    {
        QHash<int, QByteArray> roles = QStringListModel::roleNames();
        roles.insert(Qt::UserRole + 1, QByteArrayLiteral("modelData_size"));
        return roles;
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        askedRoles.append(role);
        if (role == Qt::UserRole + 1)
            return QStringListModel::data(index, Qt::DisplayRole).toString().size();
        return QStringListModel::data(index, role);
    }

    mutable QList<int> askedRoles;
};

} // namespace

class tst_CQmlModelDataAccessor : public QObject
{
    Q_OBJECT

private slots:
    void readsCellsByRoleName();
    void unknownRoleAsksForMinusOne();
    void withoutModelReturnsInvalid();
    void settingTheSameModelSignalsNothing();
    void destroyedModelIsForgotten();
};

void tst_CQmlModelDataAccessor::readsCellsByRoleName()
{
    RecordingModel model({"north", "south"});
    CQmlModelDataAccessor accessor;
    QSignalSpy changed(&accessor, &CQmlModelDataAccessor::modelChanged);

    accessor.setModel(&model);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(accessor.model(), &model);
    QCOMPARE(accessor.data(1, 0, "display").toString(), QStringLiteral("south"));
    QCOMPARE(accessor.data(0, 0, "modelData_size").toInt(), 5);
    QVERIFY(!accessor.data(7, 0, "display").isValid());
}

void tst_CQmlModelDataAccessor::unknownRoleAsksForMinusOne()
{
    RecordingModel model({"north"});
    CQmlModelDataAccessor accessor;
    accessor.setModel(&model);
    model.askedRoles.clear();

    QVERIFY(!accessor.data(0, 0, "noSuchRole").isValid());
    QCOMPARE(model.askedRoles, QList<int>{-1});
}

void tst_CQmlModelDataAccessor::withoutModelReturnsInvalid()
{
    CQmlModelDataAccessor accessor;
    QCOMPARE(accessor.model(), nullptr);
    QVERIFY(!accessor.data(0, 0, "display").isValid());

    RecordingModel model({"north"});
    accessor.setModel(&model);
    QSignalSpy changed(&accessor, &CQmlModelDataAccessor::modelChanged);
    accessor.setModel(nullptr);
    QCOMPARE(changed.count(), 1);
    model.askedRoles.clear();
    QVERIFY(!accessor.data(0, 0, "display").isValid());
    QVERIFY(model.askedRoles.isEmpty());
}

void tst_CQmlModelDataAccessor::settingTheSameModelSignalsNothing()
{
    RecordingModel model;
    CQmlModelDataAccessor accessor;
    accessor.setModel(&model);
    QSignalSpy changed(&accessor, &CQmlModelDataAccessor::modelChanged);
    accessor.setModel(&model);
    QCOMPARE(changed.count(), 0);

    CQmlModelDataAccessor empty;
    QSignalSpy emptyChanged(&empty, &CQmlModelDataAccessor::modelChanged);
    empty.setModel(nullptr);
    QCOMPARE(emptyChanged.count(), 0);
}

void tst_CQmlModelDataAccessor::destroyedModelIsForgotten()
{
    // QML often destroys a model before the accessor that reads it.
    auto model = std::make_unique<RecordingModel>(QStringList{"north"});
    CQmlModelDataAccessor accessor;
    accessor.setModel(model.get());
    QSignalSpy changed(&accessor, &CQmlModelDataAccessor::modelChanged);

    model.reset();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(accessor.model(), nullptr);
    QVERIFY(!accessor.data(0, 0, "display").isValid());

    // A model that was replaced and then destroyed no longer concerns the accessor.
    auto first = std::make_unique<RecordingModel>(QStringList{"a"});
    RecordingModel second({"b"});
    accessor.setModel(first.get());
    accessor.setModel(&second);
    changed.clear();
    first.reset();
    QCOMPARE(changed.count(), 0);
    QCOMPARE(accessor.data(0, 0, "display").toString(), QStringLiteral("b"));
}

QTEST_MAIN(tst_CQmlModelDataAccessor)
#include "tst_CQmlModelDataAccessor.moc"
