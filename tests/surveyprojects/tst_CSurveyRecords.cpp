#include "surveyprojects/CLocalProjectInfo.h"
#include "surveyprojects/COpenProjectMap.h"
#include "surveyprojects/CSurveyProject.h"
#include "surveyprojects/SurveyHelpers.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

class tst_CSurveyRecords : public QObject
{
    Q_OBJECT

private slots:
    void newSurveyDefaults()
    {
        const QDateTime before = QDateTime::currentDateTimeUtc();
        CSurvey survey;
        CSurvey other;
        QCOMPARE(survey.type(), ProjectTypes::SurveyTypeSection);
        QCOMPARE(survey.inspectionDirection(), ProjectTypes::SurveyDirectionInFlow);
        QVERIFY(std::isnan(survey.inspectedLength()));
        QVERIFY(survey.pictures().isEmpty() && survey.videos().isEmpty());
        QVERIFY(survey.operatorName().isEmpty() && survey.manholeName().isEmpty());
        QVERIFY(!survey.id().isNull());
        QVERIFY(survey.id() != other.id());
        QCOMPARE(survey.date().timeSpec(), Qt::UTC);
        QVERIFY(survey.date() >= before.addSecs(-1));

        CSurveyPhoto photo;
        QVERIFY(std::isnan(photo.longitude()) && std::isnan(photo.latitude()) && std::isnan(photo.altitude()));
    }

    void idVectors_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("id");
        QTest::newRow("abc") << "abc" << "0e040499-1277-2820-0008-27e2da893ae2";
        QTest::newRow("ABC") << "ABC" << "a61b501e-661d-955f-2dd3-2d933b3c03b5";
        QTest::newRow("umlaut") << QString::fromUtf8("Kanal S\xC3\xBC" "d") << "f68dd686-6a93-2ed9-3c5e-3d496e8bf459";
        QTest::newRow("empty") << "" << "d41d8cd9-8f00-b204-e980-0998ecf8427e";
    }

    void idVectors()
    {
        QFETCH(QString, name);
        QFETCH(QString, id);
        QCOMPARE(projectIdFromName(name).toString(QUuid::WithoutBraces), id);
    }

    void loadedProjectIds()
    {
        const CSurveyProject withoutId(QUuid(), {}, "abc", QString(), "en", QDateTime::currentDateTimeUtc(),
                                       ProjectTypes::DistanceUnitMetric);
        QCOMPARE(withoutId.id(), QUuid("{0e040499-1277-2820-0008-27e2da893ae2}"));
        const QUuid given = QUuid::createUuid();
        const CSurveyProject withId(given, {}, "abc", QString(), "en", QDateTime(), ProjectTypes::DistanceUnitUS);
        QCOMPARE(withId.id(), given);

        CSurveyProject renamed("old", "en", ProjectTypes::DistanceUnitMetric);
        const QUuid before = renamed.id();
        renamed.setName("new");
        QVERIFY(renamed.id() != before);
        QVERIFY(!renamed.id().isNull());
    }

    void removeTakesTheFirstIdenticalObject()
    {
        CSurvey survey;
        auto a = std::make_shared<CSurveyPhoto>();
        auto b = std::make_shared<CSurveyPhoto>();
        auto lookalike = std::make_shared<CSurveyPhoto>(*a);
        survey.addPicture(a);
        survey.addPicture(b);
        survey.addPicture(a);
        survey.removePicture(lookalike);
        QCOMPARE(survey.pictures().size(), 3);
        survey.removePicture(a);
        QCOMPARE(survey.pictures(), (QVector<SurveyPhotoPtr>{b, a}));

        const CSurvey copy(survey);
        QCOMPARE(copy.pictures().first(), b);
        copy.pictures().first()->setComment("shared");
        QCOMPARE(survey.pictures().first()->comment(), QString("shared"));

        CSurveyProject project("p", "en", ProjectTypes::DistanceUnitMetric);
        project.removeSurvey(std::make_shared<CSurvey>());
        QVERIFY(project.surveys().isEmpty());
    }

    void localProjectInfo()
    {
        CLocalProjectInfo none;
        QVERIFY(!none.isValid());
        QCOMPARE(none.size(), qint64(-1));
        const CLocalProjectInfo named(QUuid(), "n", "/p/", QDateTime(), -1);
        QVERIFY(named.isValid());
    }

    void openProjectMap()
    {
        COpenProjectMap map;
        auto project = std::make_shared<CSurveyProject>("p", "en", ProjectTypes::DistanceUnitMetric);
        auto sameFolder = std::make_shared<CSurveyProject>(*project);
        map.add(project, "/a/");
        map.setSizeChanged(project, true);
        map.add(project, "/b/");
        QString path;
        bool changed = true;
        map.lookup(project, path, changed);
        QCOMPARE(path, QString("/b/"));
        QVERIFY(!changed);

        map.add(sameFolder, "/b/");
        map.remove(project);
        QVERIFY(map.containsPath("/b/"));
        map.remove(sameFolder);
        QVERIFY(!map.containsPath("/b/"));
        QVERIFY(map.path(project).isEmpty());
        map.setSizeChanged(project, true);
        map.lookup(project, path, changed);
        QVERIFY(path.isEmpty() && !changed);
    }

    void claimingTaskResults()
    {
        uint pending = 5;
        QVERIFY(!claimTaskResult(pending, 6));
        QCOMPARE(pending, 5u);
        QVERIFY(claimTaskResult(pending, 5));
        QCOMPARE(pending, 0u);
        QVERIFY(!claimTaskResult(pending, 5));
    }

    void latestSurveyPrefersTheFirstOfEqualDates()
    {
        auto project = std::make_shared<CSurveyProject>("p", "en", ProjectTypes::DistanceUnitMetric);
        QVERIFY(!latestSurvey(project));
        QVERIFY(!latestSurvey(SurveyProjectPtr()));
        auto first = std::make_shared<CSurvey>();
        auto second = std::make_shared<CSurvey>(*first);
        project->addSurvey(first);
        project->addSurvey(second);
        QCOMPARE(latestSurvey(project), first);
        auto later = std::make_shared<CSurvey>();
        later->setDate(first->date().addSecs(60));
        project->addSurvey(later);
        QCOMPARE(latestSurvey(project), later);
    }

    void findingMedia()
    {
        CSurvey survey;
        auto photo = std::make_shared<CSurveyPhoto>("Photos/x.jpg", QString(), 0, 0, 0);
        auto video = std::make_shared<CSurveyVideo>("Videos/y.mp4", QString());
        survey.addPicture(photo);
        survey.addVideo(video);
        QCOMPARE(findSurveyPhotoByFileName(survey, "x.jpg"), photo);
        QCOMPARE(findSurveyPhotoByPath(survey, "Photos/x.jpg"), photo);
        QVERIFY(!findSurveyPhotoByPath(survey, "x.jpg"));
        QCOMPARE(findSurveyVideoByFileName(survey, "y.mp4"), video);
        QCOMPARE(findSurveyVideoByPath(survey, "Videos/y.mp4"), video);
        QVERIFY(!findSurveyVideoByFileName(survey, "x.jpg"));

        CSurveyProject project("p", "en", ProjectTypes::DistanceUnitMetric);
        project.addSurvey(std::make_shared<CSurvey>(survey));
        QCOMPARE(projectMediaFilePaths(project, "/root/p/"),
                 (QStringList{"/root/p/Photos/x.jpg", "/root/p/Videos/y.mp4"}));
        QVERIFY(projectContainsMediaFile(project, "y.mp4"));
        QVERIFY(!projectContainsMediaFile(project, "z.mp4"));
    }

    // A record may name a link: followed only when it stays in the project folder, and a
    // folder whose name merely starts with the project's ("Main Street" beside "Main") is not it.
    void mediaLinksStayInTheProject()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString project = dir.filePath("Main/");
        QVERIFY(QDir().mkpath(project + "Photos") && QDir().mkpath(dir.filePath("Main Street")));
        for (const QString& file : {dir.filePath("Main Street/x.jpg"), project + "inside.jpg"}) {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::link(dir.filePath("Main Street/x.jpg"), project + "Photos/beside.jpg"));
        QVERIFY(QFile::link(project + "inside.jpg", project + "Photos/inside.jpg"));
        QCOMPARE(projectMediaFilePath(project, "Photos/beside.jpg"), QString());
        QCOMPARE(projectMediaFilePath(project, "Photos/inside.jpg"), project + "Photos/inside.jpg");
    }

};

QTEST_GUILESS_MAIN(tst_CSurveyRecords)
#include "tst_CSurveyRecords.moc"
