// The simple gallery's model, controller and deletion on real temp folders.
#include "gallery/CDeletionRunnable.h"
#include "gallery/CSimpleGalleryModel.h"
#include "gallery/CSimpleGalleryScreenController.h"
#include "gallery/GalleryTypes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <QSignalSpy>
#include <QtTest>

namespace {

bool touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
}

QStringList names(const QAbstractItemModel* model)
{
    QStringList list;
    for (int row = 0; row < model->rowCount(); ++row)
        list.append(model->index(row, 0).data(CSimpleGalleryModel::FileNameRole).toString());
    return list;
}

int itemType(const QAbstractItemModel* model, int row)
{
    return model->index(row, 0).data(CSimpleGalleryModel::ItemTypeRole).toInt();
}

bool tick(QAbstractItemModel* model, int row)
{
    return model->setData(model->index(row, 0), true, CSimpleGalleryModel::SelectedRole);
}

// Builds  root/{a.jpg, B.PNG, c.mp4, notes.txt, Zeta/, sub/{x.jpg, y.mp4, keep.txt, deep/{z.png}}}.
void makeTree(const QString& root)
{
    for (const char* name : {"a.jpg", "B.PNG", "c.mp4", "notes.txt", "Zeta/z.jpg", "sub/x.jpg", "sub/y.mp4",
                             "sub/keep.txt", "sub/deep/z.png"})
        QVERIFY(touch(root + QLatin1Char('/') + QLatin1String(name)));
}

} // namespace

class tst_SimpleGallery : public QObject
{
    Q_OBJECT

private slots:
    void listingAndSelectionRules()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        makeTree(root);

        CSimpleGalleryScreenController controller;
        QAbstractItemModel* model = controller.galleryModel();
        QSignalSpy directoryChanged(&controller, &CSimpleGalleryScreenController::directoryChanged);
        QCOMPARE(model->rowCount(), 0);
        controller.setDirectory(QString());
        QCOMPARE(directoryChanged.count(), 0);
        QCOMPARE(model->rowCount(), 0);

        controller.setTopLevelDirectory(root);
        controller.setDirectory(root + QStringLiteral("/sub/../"));
        QCOMPARE(controller.directory(), root + QLatin1Char('/'));
        QCOMPARE(directoryChanged.count(), 1);
        // Folders first, then media by name regardless of case; text files are not listed.
        QCOMPARE(names(model), QStringList({"sub", "Zeta", "a.jpg", "B.PNG", "c.mp4"}));
        QCOMPARE(itemType(model, 0), int(GalleryTypes::ItemTypeDirectory));
        QCOMPARE(itemType(model, 2), int(GalleryTypes::ItemTypePhotoFile));
        QCOMPARE(itemType(model, 4), int(GalleryTypes::ItemTypeVideoFile));
        QCOMPARE(model->index(4, 0).data(CSimpleGalleryModel::FileUrlRole).toUrl(),
                 QUrl::fromLocalFile(root + QStringLiteral("/c.mp4")));
        QCOMPARE(model->roleNames().value(CSimpleGalleryModel::ItemTypeRole), QByteArray("modelData_ItemType"));
        // The top-level folder cannot go up: no link-up row, every row can be ticked.
        controller.goUp();
        QCOMPARE(controller.directory(), root + QLatin1Char('/'));
        controller.selectAll();
        QCOMPARE(controller.selectionCount(), 5);

        // One level down: ".." leads, points at the parent, and is never ticked.
        controller.setDirectory(root + QStringLiteral("/sub"));
        QCOMPARE(controller.selectionCount(), 0);
        QCOMPARE(names(model), QStringList({"..", "deep", "x.jpg", "y.mp4"}));
        QCOMPARE(itemType(model, 0), int(GalleryTypes::ItemTypeLinkUp));
        QCOMPARE(model->index(0, 0).data(CSimpleGalleryModel::FullFileNameRole).toString(), root);
        QVERIFY(!tick(model, 0));
        QCOMPARE(controller.selectionCount(), 0);
        QVERIFY(tick(model, 1));
        controller.selectAll();
        QCOMPARE(controller.selectionCount(), 3);
        QVERIFY(!model->index(0, 0).data(CSimpleGalleryModel::SelectedRole).toBool());
        controller.goUp();
        QCOMPARE(controller.directory(), root + QLatin1Char('/'));
        QCOMPARE(controller.selectionCount(), 0);

        // Without a top-level folder the walk goes up to the drives, whose roots cannot be ticked.
        controller.setTopLevelDirectory(QString());
        controller.setDirectory(QStringLiteral("/"));
        QCOMPARE(names(model).first(), QStringLiteral(".."));
        controller.goUp();
        QCOMPARE(controller.directory(), QString());
        QVERIFY(model->rowCount() > 0);
        QVERIFY(!tick(model, 0));
        controller.selectAll();
        QCOMPARE(controller.selectionCount(), 0);
    }

    void deletionStaysInsideTheShownFolder()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        makeTree(root);
        QTemporaryDir outside;
        QVERIFY(touch(outside.filePath(QStringLiteral("precious.jpg"))));
        QVERIFY(QFile::link(outside.path(), root + QStringLiteral("/sub/linked")));

        CSimpleGalleryScreenController controller;
        QAbstractItemModel* model = controller.galleryModel();
        controller.setTopLevelDirectory(root);
        controller.setDirectory(root + QStringLiteral("/sub"));
        QSignalSpy processing(&controller, &CSimpleGalleryScreenController::processingChanged);
        QSignalSpy failed(&controller, &CSimpleGalleryScreenController::itemDeletionFailed);
        tick(model, 0);
        controller.selectAll();
        controller.deleteSelectedItems();
        QVERIFY(controller.processing());
        QVERIFY(processing.wait(20000));
        QVERIFY(!controller.processing());
        QCOMPARE(failed.count(), 0);
        QCOMPARE(controller.selectionCount(), 0);
        QCOMPARE(names(model), QStringList({".."}));
        // The shown folder, what it holds that is not listed, and everything above it stay.
        QVERIFY(QFileInfo::exists(root + QStringLiteral("/sub/keep.txt")));
        QVERIFY(!QFileInfo::exists(root + QStringLiteral("/sub/deep")));
        QVERIFY(QFileInfo::exists(root + QStringLiteral("/a.jpg")));
        QVERIFY(QFileInfo::exists(root + QStringLiteral("/Zeta/z.jpg")));
        QVERIFY(QFileInfo::exists(outside.filePath(QStringLiteral("precious.jpg"))));

        // Paths that are not entries of the shown folder are refused, however they are spelled.
        const QString sub = root + QStringLiteral("/sub/");
        QVERIFY(CDeletionRunnable::isStrictlyInside(sub + QStringLiteral("x.jpg"), sub));
        QVERIFY(!CDeletionRunnable::isStrictlyInside(sub, sub));
        QVERIFY(!CDeletionRunnable::isStrictlyInside(root, sub));
        QVERIFY(!CDeletionRunnable::isStrictlyInside(sub + QStringLiteral(".."), sub));
        QVERIFY(!CDeletionRunnable::isStrictlyInside(sub + QStringLiteral("../a.jpg"), sub));
        QVERIFY(!CDeletionRunnable::isStrictlyInside(root + QStringLiteral("/Zeta/z.jpg"), sub));
        QVERIFY(!CDeletionRunnable::isStrictlyInside(QStringLiteral("/"), QStringLiteral("/")));
        CDeletionRunnable runnable(sub, {root, sub}, {root + QStringLiteral("/a.jpg")});
        runnable.setAutoDelete(false);
        QSignalSpy result(&runnable, &CDeletionRunnable::finished);
        runnable.run();
        QCOMPARE(result.count(), 1);
        QCOMPARE(result.first().first().toBool(), false);
        QVERIFY(QFileInfo::exists(root + QStringLiteral("/a.jpg")));
    }

    void aFileThatStaysStopsTheDeletion()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        makeTree(root);
        CSimpleGalleryScreenController controller;
        QAbstractItemModel* model = controller.galleryModel();
        controller.setDirectory(root);
        const QString stubborn = root + QStringLiteral("/B.PNG");
        // Removal fails for one file, as it would for a file another program holds open.
        controller.setFileRemover([stubborn](const QString& path) {
            return QDir::cleanPath(path) != QDir::cleanPath(stubborn) && QFile::remove(path);
        });
        QSignalSpy failed(&controller, &CSimpleGalleryScreenController::itemDeletionFailed);
        QSignalSpy processing(&controller, &CSimpleGalleryScreenController::processingChanged);
        controller.selectAll();
        QCOMPARE(controller.selectionCount(), 5);
        controller.deleteSelectedItems();
        QVERIFY(failed.wait(20000));
        QCOMPARE(processing.count(), 2);
        QVERIFY(!controller.processing());
        QCOMPARE(controller.selectionCount(), 0);
        QVERIFY(QFileInfo::exists(stubborn));
        // No selected folder goes once a file could not.
        QVERIFY(QFileInfo::exists(root + QStringLiteral("/sub/deep/z.png")));
        QVERIFY(QFileInfo::exists(root + QStringLiteral("/Zeta/z.jpg")));
        QVERIFY(names(model).contains(QStringLiteral("B.PNG")));
    }
};

QTEST_GUILESS_MAIN(tst_SimpleGallery)
#include "tst_SimpleGallery.moc"
