// The gallery models over their providers: the survey provider's row order and edits through
// the change set, selections that follow removed rows, the camera provider's day sections and
// their numbering across removals, the section model's selection by file, and the field texts
// and save results of the gallery controller base against a real project service.
#include "gallery/CBaseGalleryScreenController.h"
#include "gallery/CGalleryModel.h"
#include "gallery/CRemoteGalleryModelDataProvider.h"
#include "gallery/CRemoteGallerySectionModel.h"
#include "gallery/CSurveyGalleryModelDataProvider.h"
#include "gallery/GalleryTypes.h"

#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"
#include "photoeditor/CDrawingDynamicText.h"
#include "surveyprojects/CProjectService.h"
#include "surveyprojects/CSurveyMediaChangeSet.h"

#include <QLocale>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using Ulx::Multimedia::CRemoteFileInfo;

namespace {

SurveyPtr makeSurvey(int videos, int photos, const QString& prefix = QStringLiteral("s"))
{
    auto survey = std::make_shared<CSurvey>();
    for (int i = 0; i < videos; ++i)
        survey->addVideo(std::make_shared<CSurveyVideo>(QStringLiteral("Videos/%1v%2.mp4").arg(prefix).arg(i), QString()));
    for (int i = 0; i < photos; ++i) {
        auto photo = std::make_shared<CSurveyPhoto>();
        photo->setPath(QStringLiteral("Photos/%1p%2.jpg").arg(prefix).arg(i));
        survey->addPicture(photo);
    }
    return survey;
}

CRemoteFileInfo cameraFile(const QString& name, const QDateTime& time)
{
    const auto type = name.endsWith(QLatin1String(".mp4")) ? Ulx::RemoteMediaTypes::FileTypeVideo
                                                           : Ulx::RemoteMediaTypes::FileTypePhoto;
    return CRemoteFileInfo(name, QStringLiteral("http://127.0.0.1/SD/") + name, time, 100, type);
}

QStringList names(const CAbstractGalleryModelDataProvider& provider, int modelId)
{
    QStringList list;
    for (int row = 0; row < provider.rowCount(modelId); ++row)
        list << provider.fileName(modelId, row);
    return list;
}

QDateTime day(int month, int dayOfMonth, int hour = 10)
{
    return QDateTime(QDate(2026, month, dayOfMonth), QTime(hour, 0));
}

} // namespace

class tst_GalleryModels : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void surveyProviderRowsAndEdits()
    {
        CGalleryModel empty(nullptr, -1);
        QCOMPARE(empty.rowCount(), 0);
        QVERIFY(!empty.data(empty.index(0), CGalleryModel::FileNameRole).isValid());
        QCOMPARE(empty.roleNames().value(CGalleryModel::FileStateRole), QByteArray("modelData_FileState"));

        auto project = std::make_shared<CSurveyProject>(QStringLiteral("Ring Road"), QStringLiteral("en_US"), ProjectTypes::DistanceUnitMetric);
        auto changeSet = std::make_shared<CSurveyMediaChangeSet>(project);
        const SurveyPtr survey = makeSurvey(2, 3);
        auto provider = std::make_shared<CSurveyGalleryModelDataProvider>();
        provider->setProjectPath(QStringLiteral("/data/Ring Road/"));
        CGalleryModel model(provider, -1);
        provider->setSurveyMedia(changeSet, survey, {0, 1, 2}, {2, 0});

        QCOMPARE(model.rowCount(), 5);
        QCOMPARE(names(*provider, -1), QStringList({"sv0.mp4", "sv1.mp4", "sp0.jpg", "sp1.jpg", "sp2.jpg"}));
        QCOMPARE(model.index(1).data(CGalleryModel::FileTypeRole).toInt(), int(GalleryTypes::FileTypeVideo));
        QCOMPARE(model.index(2).data(CGalleryModel::FileTypeRole).toInt(), int(GalleryTypes::FileTypePhoto));
        QCOMPARE(model.index(0).data(CGalleryModel::FileStateRole).toInt(), 2);
        QCOMPARE(model.index(3).data(CGalleryModel::FileStateRole).toInt(), 1);
        QCOMPARE(model.index(2).data(CGalleryModel::FileUrlRole).toUrl(),
                 QUrl::fromLocalFile(QStringLiteral("/data/Ring Road/Photos/sp0.jpg")));
        QVERIFY(!model.index(5).data(CGalleryModel::FileNameRole).isValid());
        QCOMPARE(model.index(4).data(CBaseSelectionModel::SelectedRole), QVariant(false));
        QCOMPARE(provider->photoIndexForRow(1), -1);
        QCOMPARE(provider->rowForPhotoIndex(0), 2);

        // States of another length change nothing and say nothing.
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        provider->setFileStates({0, 0}, {0, 0});
        QCOMPARE(changed.count(), 0);
        QCOMPARE(provider->photoStates(), QVector<int>({0, 1, 2}));

        // Removing what the change set does not list is silent.
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        provider->removePhoto(std::make_shared<CSurveyPhoto>());
        provider->removeFile(QStringLiteral("Photos/none.jpg"));
        QCOMPARE(removed.count(), 0);

        // Removals and additions go through the change set; the survey itself stays.
        provider->removeFile(QStringLiteral("Videos/sv0.mp4"));
        provider->removeFile(QStringLiteral("Photos/sp1.jpg"));
        provider->addPhoto(QStringLiteral("Photos/new.jpg"));
        QCOMPARE(names(*provider, -1), QStringList({"sv1.mp4", "sp0.jpg", "sp2.jpg", "new.jpg"}));
        QCOMPARE(provider->photoStates(), QVector<int>({0, 2, 0}));
        QCOMPARE(provider->videoStates(), QVector<int>({0}));
        QCOMPARE(survey->pictures().size(), 3);
        QCOMPARE(changeSet->removedPhotos().size(), 1);
        QCOMPARE(changeSet->addedPhotos().size(), 1);

        provider->setSurveyMedia(changeSet, nullptr, {}, {});
        QCOMPARE(model.rowCount(), 0);
    }

    void removedRowsKeepOtherModelsTicksOnTheirFiles()
    {
        auto project = std::make_shared<CSurveyProject>(QStringLiteral("Ring Road"), QStringLiteral("en_US"), ProjectTypes::DistanceUnitMetric);
        auto changeSet = std::make_shared<CSurveyMediaChangeSet>(project);
        const SurveyPtr survey = makeSurvey(1, 4);
        auto provider = std::make_shared<CSurveyGalleryModelDataProvider>();
        CGalleryModel gallery(provider, -1);
        CGalleryModel mediaView(provider, -1);
        provider->setSurveyMedia(changeSet, survey, {0, 0, 0, 0}, {0});
        // The gallery ticks sp1 and sp3 (rows 2 and 4); the media view deletes sp0 (row 1).
        gallery.setSelection({2, 4});
        QSignalSpy count(&gallery, &CBaseSelectionModel::selectionCountChanged);
        provider->removeFile(QStringLiteral("Photos/sp0.jpg"));
        QCOMPARE(count.count(), 0);
        QCOMPARE(gallery.selection(), QSet<int>({1, 3}));
        QStringList ticked;
        for (const SurveyPhotoPtr& photo : provider->selectedPhotos(gallery.selection()))
            ticked << photo->path();
        ticked.sort();
        QCOMPARE(ticked, QStringList({"Photos/sp1.jpg", "Photos/sp3.jpg"}));
        // A ticked row that goes takes its tick with it.
        provider->removeFile(QStringLiteral("Photos/sp1.jpg"));
        QCOMPARE(gallery.selection(), QSet<int>({2}));
        QCOMPARE(count.count(), 1);
        QCOMPARE(provider->fileName(-1, 2), QStringLiteral("sp3.jpg"));
        // A photo appended moves nothing before it; every registered model hears every change.
        QSignalSpy inserted(&mediaView, &QAbstractItemModel::rowsInserted);
        provider->addPhoto(QStringLiteral("Photos/x.jpg"));
        QCOMPARE(gallery.selection(), QSet<int>({2}));
        QCOMPARE(inserted.count(), 1);

        // Registered twice, a model hears everything twice; a reset drops the ticks.
        provider->registerModel(&mediaView);
        QSignalSpy resets(&mediaView, &QAbstractItemModel::modelReset);
        provider->setSurveyMedia(changeSet, survey, {}, {});
        QCOMPARE(resets.count(), 2);
        provider->unregisterModel(&mediaView);
        QCOMPARE(gallery.selectionCount(), 0);
    }

    void cameraDaySections()
    {
        CRemoteGalleryModelDataProvider provider;
        QVERIFY(provider.selectedFiles().isEmpty());
        provider.setFiles({cameraFile("b.jpg", day(5, 3)), cameraFile("c.mp4", day(5, 5)),
                           cameraFile("a.jpg", day(5, 3, 9)), cameraFile("B.jpg", day(5, 3)),
                           cameraFile("z.jpg", QDateTime())},
                          {1, 0, 1, 1, 1});
        QCOMPARE(provider.sectionCount(), 3);
        QCOMPARE(provider.sectionTitle(0), QStringLiteral("Tuesday, May 5, 2026"));
        QCOMPARE(provider.sectionTitle(1), QStringLiteral("Sunday, May 3, 2026"));
        QCOMPARE(provider.sectionTitle(2), QString());
        QCOMPARE(names(provider, 0), QStringList({"c.mp4"}));
        // Names by code unit: capitals first.
        QCOMPARE(names(provider, 1), QStringList({"B.jpg", "a.jpg", "b.jpg"}));
        QCOMPARE(names(provider, 2), QStringList({"z.jpg"}));
        QCOMPARE(provider.fileType(0, 0), int(GalleryTypes::FileTypeVideo));
        QCOMPARE(provider.fileState(0, 0), 0);
        QCOMPARE(provider.fileUrl(1, 1), QUrl("http://127.0.0.1/SD/a.jpg"));
        QCOMPARE(provider.fileState(1, 3), int(GalleryTypes::FileStateNotAvailable));
        QCOMPARE(provider.fileType(1, -1), int(GalleryTypes::FileTypeInvalid));
        QCOMPARE(provider.fileName(7, 0), QString());
        QVERIFY(provider.fileUrl(1, 3).isEmpty());

        provider.setFileStates({0});
        QCOMPARE(provider.fileStates(), QVector<int>({1, 0, 1, 1, 1}));
        provider.removeFileByUrl(QStringLiteral("http://127.0.0.1/SD/none.jpg"));
        QVERIFY(provider.removedFileUrls().isEmpty());
        QCOMPARE(provider.files().size(), 5);
    }

    void removalsKeepSectionsAndTheirNumbering()
    {
        auto provider = std::make_shared<CRemoteGalleryModelDataProvider>();
        CRemoteGallerySectionModel sections;
        sections.setDataProvider(provider);
        provider->setSectionModel(&sections);
        const QDate today = QDate::currentDate();
        const QDateTime now(today, QTime(12, 0));
        // Three days, newest first: [c], [d, e], [a, b].
        provider->setFiles({cameraFile("c.jpg", now.addDays(-1)), cameraFile("e.jpg", now), cameraFile("d.jpg", now),
                            cameraFile("a.jpg", now.addDays(-2)), cameraFile("b.jpg", now.addDays(-2))},
                           {1, 1, 1, 1, 1});
        QCOMPARE(sections.rowCount(), 3);
        QCOMPARE(names(*provider, 0), QStringList({"d.jpg", "e.jpg"}));
        QPointer<CGalleryModel> middle = sections.galleryModel(1);

        // The only file of yesterday goes: its section stays, empty, under its title.
        QSignalSpy sectionRows(&sections, &QAbstractItemModel::dataChanged);
        provider->removeFileByUrl(QStringLiteral("http://127.0.0.1/SD/c.jpg"));
        QCOMPARE(sectionRows.count(), 1);
        QCOMPARE(sections.index(1).data(CRemoteGallerySectionModel::SectionItemCountRole).toInt(), 0);
        QCOMPARE(provider->sectionCount(), 3);
        QCOMPARE(provider->rowCount(1), 0);
        QCOMPARE(provider->sectionTitle(1), QLocale().toString(today.addDays(-1), QLocale::LongFormat));
        QCOMPARE(names(*provider, 2), QStringList({"a.jpg", "b.jpg"}));
        QVERIFY(middle);
        const auto checkMapping = [&provider] {
            const QVector<int> sectionOf = provider->sectionOfFile();
            const QVector<int> rowIn = provider->rowInSection();
            for (int f = 0; f < provider->files().size(); ++f)
                QCOMPARE(provider->sectionFileIndices(sectionOf.at(f)).value(rowIn.at(f), -1), f);
        };
        checkMapping();

        // Selected files go in the order shown, whatever the camera's order.
        sections.setSelectedFileIndices({3, 2, 1, 0});
        QStringList ticked;
        for (const CRemoteFileInfo& file : provider->selectedFiles())
            ticked << file.fileName();
        QCOMPARE(ticked, QStringList({"d.jpg", "e.jpg", "a.jpg", "b.jpg"}));

        // "Today" ticks today's files, nothing of the other days.
        sections.selectAllFromDate(today);
        ticked.clear();
        for (const CRemoteFileInfo& file : provider->selectedFiles())
            ticked << file.fileName();
        QCOMPARE(ticked, QStringList({"d.jpg", "e.jpg"}));
        QCOMPARE(sections.selectionCount(), 2);
        QCOMPARE(sections.galleryModel(2)->selectionCount(), 0);
        sections.setSelectedFileIndices({provider->sectionFileIndices(2).at(1)});
        QCOMPARE(provider->selectedFileUrls(), QStringList({"http://127.0.0.1/SD/b.jpg"}));

        // A second removal keeps the emptied section too.
        provider->removeFileByUrl(QStringLiteral("http://127.0.0.1/SD/d.jpg"));
        QCOMPARE(provider->sectionCount(), 3);
        QCOMPARE(provider->rowCount(1), 0);
        QCOMPARE(names(*provider, 0), QStringList({"e.jpg"}));
        checkMapping();
        QCOMPARE(provider->removedFileUrls(),
                 QStringList({"http://127.0.0.1/SD/c.jpg", "http://127.0.0.1/SD/d.jpg"}));
        QCOMPARE(sections.selectionCount(), 0);

        // A new list starts over.
        QSignalSpy reset(&sections, &QAbstractItemModel::modelReset);
        provider->setFiles({}, {});
        QCOMPARE(reset.count(), 1);
        QCOMPARE(sections.rowCount(), 0);
        QVERIFY(provider->removedFileUrls().isEmpty());
        sections.selectAllFromDate(today);
        QCOMPARE(sections.selectionCount(), 0);
        provider->setSectionModel(nullptr);
    }

    void fieldTextsAndSaveResults()
    {
        QTemporaryDir dir;
        CSettings settings;
        settings.setWorkType(CSettings::WorkWithProjectsCustomRoot);
        settings.setCustomProjectFolder(dir.path() + "/");
        settings.setDateFormat(QStringLiteral("dd.MM.yyyy"));
        settings.setUse24hTime(false);
        CAppRuntimeData runtimeData;
        CProjectService service(&settings);

        auto project = std::make_shared<CSurveyProject>(QStringLiteral("Ring Road"), QStringLiteral("en_US"), ProjectTypes::DistanceUnitMetric);
        project->setName(QStringLiteral("Ring Road"));
        const SurveyPtr first = makeSurvey(0, 1, "a");
        first->setOperatorName(QStringLiteral("Olga"));
        first->setDate(QDateTime(QDate(2026, 5, 3), QTime(14, 5)));
        const SurveyPtr second = makeSurvey(0, 1, "b");
        second->setOperatorName(QStringLiteral("Ivan"));
        project->setSurveys({first, second});
        runtimeData.setCurrentProject(project, dir.path());

        ProjectScreenServices services;
        services.settings = &settings;
        services.appRuntimeData = &runtimeData;
        services.projectService = &service;
        CBaseGalleryScreenController controller(services, nullptr);

        // Index 0 stops at the first survey even for another survey's photo; -1 searches on.
        const DynamicFieldDataList list =
            controller.dynamicFieldDataList({"/x/Photos/bp0.jpg", "/x/Photos/nothing.jpg"}, 0);
        QCOMPARE(list.size(), 2);
        QCOMPARE(list.at(0).value(CDrawingDynamicText::ProjectName), QStringLiteral("Ring Road"));
        QCOMPARE(list.at(0).value(CDrawingDynamicText::OperatorName), QStringLiteral("Olga"));
        QCOMPARE(list.at(0).value(CDrawingDynamicText::InspectionDate), QStringLiteral("03.05.2026"));
        QCOMPARE(list.at(0).value(CDrawingDynamicText::InspectionTime), QStringLiteral("02:05 PM"));
        QVERIFY(!list.at(0).value(CDrawingDynamicText::SurveyName).isEmpty());
        QCOMPARE(controller.dynamicFieldDataList({"bp0.jpg"}, -1).at(0).value(CDrawingDynamicText::OperatorName),
                 QStringLiteral("Ivan"));
        QCOMPARE(controller.dynamicFieldDataList({"nothing.jpg"}, -1).at(0).keys(),
                 QList<int>({CDrawingDynamicText::ProjectName}));
        settings.setUse24hTime(true);
        QCOMPARE(controller.queryDynamicFieldData("ap0.jpg").value(CDrawingDynamicText::InspectionTime),
                 QStringLiteral("14:05"));
        project->setSurveys({});
        QCOMPARE(controller.queryDynamicFieldData("ap0.jpg").keys(), QList<int>({CDrawingDynamicText::ProjectName}));

        // This project is not open in the service: the save fails, and the edits are still
        // unsaved, so projectModified stays set.
        controller.changeSet()->removePhoto(first, first->pictures().at(0));
        controller.setProjectModified();
        QSignalSpy error(&controller, &CBaseGalleryScreenController::errorOccurred);
        QSignalSpy saved(&controller, &CBaseGalleryScreenController::changesSaved);
        QSignalSpy applied(&service, &CProjectService::changeSetApplied);
        // A result of another request changes nothing.
        controller.onChangeSetApplied(4711, nullptr, ProjectTypes::ProjectErrorNone);
        QVERIFY(!controller.processing());
        QCOMPARE(saved.count(), 0);
        controller.saveChanges();
        QVERIFY(controller.processing());
        QVERIFY(error.wait(10000));
        QCOMPARE(saved.count(), 0);
        QVERIFY(!controller.processing());
        QVERIFY(controller.projectModified());
        QCOMPARE(controller.changeSet()->removedPhotos().size(), 1);
        QVERIFY(!error.at(0).at(0).toString().isEmpty());
    }
};

QTEST_MAIN(tst_GalleryModels)
#include "tst_GalleryModels.moc"
