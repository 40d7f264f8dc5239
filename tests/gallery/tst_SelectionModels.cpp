#include "gallery/CBaseSelectionModel.h"
#include "gallery/CFileListSelectionModel.h"
#include "gallery/CFileListSelectionScreenController.h"
#include "gallery/CFileSystemModel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <QSignalSpy>
#include <QtTest>

namespace {

// A plain list of n rows with one row that "select all" must leave alone.
class CRowsModel : public CBaseSelectionModel
{
public:
    explicit CRowsModel(int rows, int unselectable = -1)
        : m_rows(rows)
        , m_unselectable(unselectable)
    {
    }
    int rowCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : m_rows; }
    QSet<int> unselectableRows() const override
    {
        return m_unselectable < 0 ? QSet<int>() : QSet<int>{m_unselectable};
    }
    QModelIndex outside(int row) const { return createIndex(row, 0); }
    void setRows(int rows)
    {
        beginResetModel();
        m_rows = rows;
        endResetModel();
    }

private:
    int m_rows;
    int m_unselectable;
};

} // namespace

class tst_SelectionModels : public QObject
{
    Q_OBJECT

private slots:
    void tickingRowsThroughTheRole()
    {
        CRowsModel model(3);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy count(&model, &CBaseSelectionModel::selectionCountChanged);
        QCOMPARE(model.roleNames().value(Qt::UserRole), QByteArray("modelData_Selected"));

        const QVariant unticked = model.data(model.index(1), Qt::UserRole);
        QCOMPARE(unticked.userType(), int(QMetaType::Bool));
        QCOMPARE(unticked.toBool(), false);
        QVERIFY(!model.data(model.index(1), Qt::DisplayRole).isValid());
        QVERIFY(!model.data(model.index(3), Qt::UserRole).isValid());

        QVERIFY(model.setData(model.index(1), true, Qt::UserRole));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.first().at(0).toModelIndex().row(), 1);
        QCOMPARE(changed.first().at(1).toModelIndex().row(), 1);
        QVERIFY(changed.first().at(2).value<QVector<int>>().isEmpty());
        QCOMPARE(count.size(), 1);

        // The same value again, a foreign role or a row outside: refused without a signal.
        QVERIFY(!model.setData(model.index(1), true, Qt::UserRole));
        QVERIFY(!model.setData(model.index(0), true, Qt::UserRole + 1));
        QVERIFY(!model.setData(model.index(-1), true, Qt::UserRole));
        QVERIFY(!model.setData(model.outside(7), true, Qt::UserRole));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(count.size(), 1);
        QCOMPARE(model.selection(), QSet<int>{1});

        // Deselecting an unticked row says nothing; a ticked one without row notice only counts.
        model.deselectRow(2, true);
        QCOMPARE(count.size(), 1);
        model.deselectRow(1, false);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(count.size(), 2);
        QCOMPARE(model.selectionCount(), 0);
    }

    void selectAllAndClear()
    {
        CRowsModel empty(0);
        QSignalSpy emptyCount(&empty, &CBaseSelectionModel::selectionCountChanged);
        empty.selectAll();
        empty.clearSelection();
        QCOMPARE(emptyCount.size(), 0);

        CRowsModel model(4, 2);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy count(&model, &CBaseSelectionModel::selectionCountChanged);
        model.selectAll();
        QCOMPARE(model.selection(), QSet<int>({0, 1, 3}));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.first().at(0).toModelIndex().row(), 0);
        QCOMPARE(changed.first().at(1).toModelIndex().row(), 3);
        QCOMPARE(count.size(), 1);

        // Everything selectable is ticked already: nothing to say.
        model.selectAll();
        QCOMPARE(count.size(), 1);

        model.clearSelection(false);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(count.size(), 2);
        model.clearSelection();
        QCOMPARE(count.size(), 2);

        // setSelection replaces without comparing and always notifies the rows.
        model.setSelection({3});
        model.setSelection({3});
        QCOMPARE(changed.size(), 3);
        QCOMPARE(count.size(), 4);
        QCOMPARE(model.data(model.index(3), Qt::UserRole).toBool(), true);

        // A plain model: all of its rows.
        CRowsModel plain(2);
        plain.selectAll();
        QCOMPARE(plain.selectionCount(), 2);
    }

    void fileListSelection()
    {
        CFileListSelectionScreenController controller;
        QSignalSpy listChanged(&controller, &CFileListSelectionScreenController::fileListChanged);
        const QStringList files = {"/media/card/DCIM/b.jpg", "file:///media/card/a%20b.png", "/x/c.mp4"};
        controller.setFileList(files);
        QCOMPARE(listChanged.size(), 1);
        QCOMPARE(controller.fileList(), files);
        QAbstractListModel* model = controller.selectionModel();
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(model->roleNames().value(Qt::UserRole + 1), QByteArray("modelData_FileName"));
        QCOMPARE(model->data(model->index(1), Qt::UserRole + 1).toString(), QString("a b.png"));
        QVERIFY(!model->data(model->index(3), Qt::UserRole + 1).isValid());
        // Every file starts ticked.
        QCOMPARE(controller.querySelectedFiles(), files);
        QVERIFY(controller.queryDeselectedFiles().isEmpty());

        // Ticked rows come out in list order however they were ticked.
        auto* list = static_cast<CFileListSelectionModel*>(model);
        list->setSelection({2, 0});
        QCOMPARE(list->selectedRows(), QList<int>({0, 2}));
        QCOMPARE(controller.querySelectedFiles(), QStringList({files.at(0), files.at(2)}));
        QCOMPARE(controller.queryDeselectedFiles(), QStringList({files.at(1)}));

        // A new list resets the model and drops the old ticks without a row-wide notice.
        QSignalSpy reset(model, &QAbstractItemModel::modelReset);
        QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
        list->setFileList({"/y.jpg"});
        QCOMPARE(reset.size(), 1);
        QCOMPARE(changed.size(), 0);
        QCOMPARE(list->selectionCount(), 0);
        list->clearFileList();
        QCOMPARE(list->rowCount(), 0);
    }

    void fileSystemModelWalksInsideItsTopFolder()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString root = QDir::cleanPath(dir.path());
        QVERIFY(QDir().mkpath(root + "/media/Sub"));
        QVERIFY(QDir().mkpath(root + "/media/alpha"));
        QVERIFY(QDir().mkpath(root + "/media/.hidden"));
        for (const char* name : {"b.JPG", "a.mp4", "notes.txt", ".secret.jpg"}) {
            QFile file(root + "/media/" + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::link(root + "/media/alpha", root + "/media/linked"));
        QVERIFY(QFile::link(root + "/media/a.mp4", root + "/media/link.mp4"));

        CFileSystemModel model;
        QCOMPARE(model.rowCount(), 0);
        QSignalSpy directory(&model, &CFileSystemModel::directoryChanged);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        model.setDirectory(root + "/media/../media");
        QCOMPARE(model.directory(), root + "/media/");
        QCOMPARE(directory.size(), 1);
        QStringList names;
        for (int row = 0; row < model.rowCount(); ++row)
            names.append(model.data(model.index(row), Qt::UserRole).toString());
        // Folders first, each part sorted ignoring case; no hidden entries, no links.
        QCOMPARE(names, QStringList({"alpha", "Sub", "a.mp4", "b.JPG", "notes.txt"}));
        QCOMPARE(model.data(model.index(1), Qt::UserRole + 1).toString(), root + "/media/Sub");
        QCOMPARE(model.data(model.index(1), Qt::UserRole + 2).toInt(), int(CFileSystemModel::ItemTypeDirectory));
        QCOMPARE(model.data(model.index(4), Qt::UserRole + 2).toInt(), int(CFileSystemModel::ItemTypeFile));
        QVERIFY(!model.data(model.index(5), Qt::UserRole).isValid());

        model.setNameFilters("*.jpg *.mp4");
        QCOMPARE(model.rowCount(), 4);
        // The same folder again keeps the listing.
        const int resetCount = resets.size();
        model.setDirectory(root + "/media/");
        QCOMPARE(resets.size(), resetCount);

        // The top folder stops the walk up; changing it changes only canGoUp.
        QSignalSpy canGoUp(&model, &CFileSystemModel::canGoUpChanged);
        model.setTopLevelDirectory(root + "/media");
        QCOMPARE(canGoUp.size(), 1);
        QCOMPARE(resets.size(), resetCount);
        QVERIFY(!model.canGoUp());
        model.goUp();
        QCOMPARE(model.directory(), root + "/media/");
        model.setTopLevelDirectory(QString());
        QVERIFY(model.canGoUp());
        model.goUp();
        QCOMPARE(model.directory(), root + "/");

        // From a drive root up to the drive list, which cannot go further.
        model.setDirectory("/");
        model.goUp();
        QCOMPARE(model.directory(), QString());
        QVERIFY(!model.canGoUp());
        QVERIFY(model.rowCount() >= 1);
        QCOMPARE(model.data(model.index(0), Qt::UserRole + 2).toInt(), int(CFileSystemModel::ItemTypeDirectory));
    }
};

QTEST_GUILESS_MAIN(tst_SelectionModels)
#include "tst_SelectionModels.moc"
