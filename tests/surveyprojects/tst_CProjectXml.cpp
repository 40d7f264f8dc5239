#include "surveyprojects/CProjectXmlReader.h"
#include "surveyprojects/CProjectXmlWriter.h"

#include "ProjectSamples.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();

QDateTime utc(const QString& text)
{
    return QDateTime::fromString(text, Qt::ISODate);
}

// A project whose surveys are sections without comments: stored as version "1".
SurveyProjectPtr makeVersion1Project()
{
    auto photoWithPosition = std::make_shared<CSurveyPhoto>("Photos/a.jpg", "crack", 8.25, 47.5, 400.0);
    auto plainPhoto = std::make_shared<CSurveyPhoto>("Photos/b.png", QString(), NaN, NaN, NaN);
    auto video = std::make_shared<CSurveyVideo>("Videos/v.mp4", QString());
    auto section = std::make_shared<CSurvey>(
        QUuid("{1b4e28ba-2fa1-11d2-883f-0016d3cca427}"), QVector<SurveyPhotoPtr>{photoWithPosition, plainPhoto},
        QVector<SurveyVideoPtr>{video}, QString(), "MH1", "MH2", QString(), "Anna", QString(),
        utc("2024-03-01T09:00:00Z"), 12.5, ProjectTypes::SurveyTypeSection, ProjectTypes::SurveyDirectionInFlow);
    auto invalidType = std::make_shared<CSurvey>(
        QUuid("{2c5f39cb-3fb2-12e3-994f-1127e4ddb538}"), QVector<SurveyPhotoPtr>{}, QVector<SurveyVideoPtr>{},
        "ignored", QString(), QString(), "L2", QString(), QString(), utc("2024-03-02T10:30:00+02:00"), NaN,
        ProjectTypes::SurveyTypeInvalid, ProjectTypes::SurveyDirectionAgainstFlow);
    return std::make_shared<CSurveyProject>(QUuid("{6f1c1d4e-0b5a-4c8e-9f2a-3b4c5d6e7f80}"),
                                            QVector<SurveyPtr>{section, invalidType}, "Main Street", QString(),
                                            "de_CH", utc("2024-03-01T08:15:30Z"), ProjectTypes::DistanceUnitMetric);
}

// Adds a manhole survey with a comment: stored as version "2".
SurveyProjectPtr makeVersion2Project()
{
    SurveyProjectPtr project = makeVersion1Project();
    auto video = std::make_shared<CSurveyVideo>("Videos/w.mp4", "inlet");
    auto manhole = std::make_shared<CSurvey>(
        QUuid("{3d6a4adc-40c3-13f4-a55a-2238f5eec649}"), QVector<SurveyPhotoPtr>{}, QVector<SurveyVideoPtr>{video},
        "MH3", "up", "down", QString(), "Bob", "note <&> \"x\"", utc("2024-03-03T11:00:00Z"), 3,
        ProjectTypes::SurveyTypeManhole, ProjectTypes::SurveyDirectionUnknown);
    project->addSurvey(manhole);
    project->setDistanceUnit(ProjectTypes::DistanceUnitUS);
    project->setDescription("Line one & two");
    return project;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

} // namespace

class tst_CProjectXml : public QObject
{
    Q_OBJECT

private:
    QString writeText(const QByteArray& content)
    {
        const QString path = m_dir.filePath(QString("case%1.xml").arg(++m_counter));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        file.write(content);
        return path;
    }

    SurveyProjectPtr readText(const QByteArray& content, ProjectTypes::ProjectError& error, bool quick = false)
    {
        CProjectXmlReader reader;
        SurveyProjectPtr project = reader.read(writeText(content), quick);
        error = reader.error();
        return project;
    }

    // A valid version-2 document with extra text inserted at the marked places.
    static QByteArray document(const QByteArray& version, const QByteArray& projectExtra = QByteArray(),
                               const QByteArray& surveyExtra = QByteArray(), const QByteArray& pictureExtra = QByteArray())
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<project version=\"" + version + "\">\n"
               "<project-id>6f1c1d4e-0b5a-4c8e-9f2a-3b4c5d6e7f80</project-id><name>P</name>"
               "<description/><date>2024-03-01T08:15:30Z</date><locale>en</locale>"
               "<distance-unit>m</distance-unit>"
            + projectExtra
            + "<surveys><survey><survey-id>1b4e28ba-2fa1-11d2-883f-0016d3cca427</survey-id><type>SEC</type>"
              "<operator/><date>2024-03-01T09:00:00Z</date><inspected-length/>"
            + surveyExtra + "<pictures><picture path=\"Photos/a.jpg\">" + pictureExtra
            + "</picture></pictures><videos/></survey></surveys></project>\n";
    }

    QTemporaryDir m_dir;
    int m_counter = 0;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
    }

    void writerMatchesGoldenFiles_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("golden");
        QTest::newRow("version 1") << 1 << "project-v1.xml";
        QTest::newRow("version 2") << 2 << "project-v2.xml";
    }

    void writerMatchesGoldenFiles()
    {
        QFETCH(int, version);
        QFETCH(QString, golden);
        const SurveyProjectPtr project = version == 1 ? makeVersion1Project() : makeVersion2Project();
        const QString path = m_dir.filePath(golden);
        CProjectXmlWriter writer;
        QVERIFY(writer.write(project, path));
        const QByteArray expected = readAll(QString(CX_TEST_SOURCE_DIR) + "/golden/" + golden);
        QVERIFY2(!expected.isEmpty(), "golden file missing");
        QCOMPARE(readAll(path), expected);
    }

    // The file's bytes for every kind of text, as they have always been written.
    void writerMatchesGoldenFileForEveryKindOfText()
    {
        const SurveyProjectPtr project = ProjectSamples::projectWithEveryKindOfText();
        const QString path = m_dir.filePath("project-texts.xml");
        QVERIFY(CProjectXmlWriter().write(project, path));
        const QByteArray expected = readAll(QString(CX_TEST_SOURCE_DIR) + "/golden/project-texts.xml");
        QVERIFY2(!expected.isEmpty(), "golden file missing");
        QCOMPARE(readAll(path), expected);
        ProjectTypes::ProjectError error = ProjectTypes::ProjectErrorInternal;
        const SurveyProjectPtr read = readText(expected, error);
        QVERIFY(read);
        QCOMPARE(error, ProjectTypes::ProjectErrorNone);
        QCOMPARE(read->surveys().size(), 4);
        QCOMPARE(read->surveys().at(0)->pictures().size(), 6);
    }

    void writerRefusesNullProject()
    {
        CProjectXmlWriter writer;
        QVERIFY(!writer.write(SurveyProjectPtr(), m_dir.filePath("null.xml")));
        QVERIFY(!QFile::exists(m_dir.filePath("null.xml")));
        QVERIFY(!writer.write(makeVersion1Project(), m_dir.filePath("missing-folder/project.xml")));
    }

    void roundTripKeepsEveryField()
    {
        const SurveyProjectPtr original = makeVersion2Project();
        const QString path = m_dir.filePath("roundtrip.xml");
        QVERIFY(CProjectXmlWriter().write(original, path));
        CProjectXmlReader reader;
        const SurveyProjectPtr loaded = reader.read(path, false);
        QVERIFY(loaded);
        QCOMPARE(reader.error(), ProjectTypes::ProjectErrorNone);
        QCOMPARE(loaded->id(), original->id());
        QCOMPARE(loaded->name(), original->name());
        QCOMPARE(loaded->description(), original->description());
        QCOMPARE(loaded->locale(), original->locale());
        QCOMPARE(loaded->date(), original->date());
        QCOMPARE(loaded->distanceUnit(), ProjectTypes::DistanceUnitUS);
        QCOMPARE(loaded->surveys().size(), 3);

        const SurveyPtr section = loaded->surveys().at(0);
        QCOMPARE(section->upstreamManhole(), QString("MH1"));
        QCOMPARE(section->downstreamManhole(), QString("MH2"));
        QCOMPARE(section->inspectedLength(), 12.5);
        QCOMPARE(section->pictures().size(), 2);
        QCOMPARE(section->pictures().at(0)->comment(), QString("crack"));
        QCOMPARE(section->pictures().at(0)->longitude(), 8.25);
        QCOMPARE(section->pictures().at(0)->latitude(), 47.5);
        QCOMPARE(section->pictures().at(0)->altitude(), 400.0);
        QVERIFY(std::isnan(section->pictures().at(1)->longitude()));
        QVERIFY(std::isnan(section->pictures().at(1)->altitude()));
        QCOMPARE(section->videos().at(0)->path(), QString("Videos/v.mp4"));

        const SurveyPtr invalid = loaded->surveys().at(1);
        QCOMPARE(invalid->type(), ProjectTypes::SurveyTypeSection);
        QVERIFY(std::isnan(invalid->inspectedLength()));
        QCOMPARE(invalid->legName(), QString("L2"));
        QCOMPARE(invalid->manholeName(), QString());
        QCOMPARE(invalid->date(), utc("2024-03-02T10:30:00+02:00"));
        QCOMPARE(invalid->inspectionDirection(), ProjectTypes::SurveyDirectionAgainstFlow);

        const SurveyPtr manhole = loaded->surveys().at(2);
        QCOMPARE(manhole->type(), ProjectTypes::SurveyTypeManhole);
        QCOMPARE(manhole->manholeName(), QString("MH3"));
        QCOMPARE(manhole->upstreamManhole(), QString());
        QCOMPARE(manhole->comment(), QString("note <&> \"x\""));
        QCOMPARE(manhole->inspectedLength(), 3.0);
        QCOMPARE(manhole->videos().at(0)->comment(), QString("inlet"));
    }

    void versionFollowsManholeSurveysAndComments()
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        SurveyProjectPtr project = makeVersion1Project();
        QVERIFY(CProjectXmlWriter().writeToDevice(project, &buffer));
        QVERIFY(buffer.data().contains("<project version=\"1\">"));

        project->surveys().at(0)->setComment("c");
        QBuffer second;
        second.open(QIODevice::WriteOnly);
        QVERIFY(CProjectXmlWriter().writeToDevice(project, &second));
        QVERIFY(second.data().contains("<project version=\"2\">"));
    }

    void forbiddenCharactersNeverMakeTheFileUnreadable()
    {
        SurveyProjectPtr project = makeVersion1Project();
        project->setName(QString("Bad") + QChar(0x01) + "Name" + QChar(0xD800));
        project->surveys().at(0)->setOperatorName(QString("Op") + QChar(0x1B) + QChar(0xFFFF));
        project->surveys().at(0)->pictures().at(0)->setPath(QString("Photos/x") + QChar(0x02) + ".jpg");
        const QString path = m_dir.filePath("forbidden.xml");
        QVERIFY(CProjectXmlWriter().write(project, path));
        CProjectXmlReader reader;
        const SurveyProjectPtr loaded = reader.read(path, false);
        QVERIFY(loaded);
        QCOMPARE(loaded->name(), QString("BadName"));
        QCOMPARE(loaded->surveys().at(0)->operatorName(), QString("Op"));
        QCOMPARE(loaded->surveys().at(0)->pictures().at(0)->path(), QString("Photos/x.jpg"));
        // Characters outside the basic plane survive.
        project->setName(QString::fromUtf8("Kanal \xF0\x9F\x9A\xA7"));
        QVERIFY(CProjectXmlWriter().write(project, path));
        QCOMPARE(reader.read(path, false)->name(), QString::fromUtf8("Kanal \xF0\x9F\x9A\xA7"));
    }

    void projectsThatWouldNotReadBackAreNotWritten()
    {
        const QString path = m_dir.filePath("unreadable.xml");
        SurveyProjectPtr project = makeVersion1Project();
        QVERIFY(CProjectXmlWriter().write(project, path));
        const QByteArray good = readAll(path);

        project->setName(QString(QChar(0x01)));
        QVERIFY(!CProjectXmlWriter().write(project, path));
        project->setName("ok");
        project->surveys().at(1)->setDate(QDateTime());
        QVERIFY(!CProjectXmlWriter().write(project, path));
        project->surveys().at(1)->setDate(QDateTime(QDate(12000, 1, 1), QTime(0, 0), Qt::UTC));
        QVERIFY(!CProjectXmlWriter().write(project, path));
        QCOMPARE(readAll(path), good);
    }

    void readerErrorTable_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("hasProject");

        QTest::newRow("valid") << document("2") << 0 << true;
        QTest::newRow("empty file") << QByteArray() << 5 << false;
        QTest::newRow("other root") << QByteArray("<projects version=\"1\"/>") << 5 << false;
        QTest::newRow("truncated") << document("2").left(400) << 5 << false;
        QTest::newRow("not xml") << QByteArray("\x00\x01garbage", 9) << 5 << false;
        QTest::newRow("missing name")
            << document("2").replace("<name>P</name>", "") << 5 << false;
        QTest::newRow("missing locale")
            << document("2").replace("<locale>en</locale>", "") << 5 << false;
        QTest::newRow("invalid date")
            << document("2").replace("<date>2024-03-01T08:15:30Z</date>", "<date>yesterday</date>") << 5 << false;
        QTest::newRow("unit km")
            << document("2").replace("<distance-unit>m</distance-unit>", "<distance-unit>km</distance-unit>") << 5
            << false;
        QTest::newRow("no unit is metric")
            << document("2").replace("<distance-unit>m</distance-unit>", "") << 0 << true;
        QTest::newRow("unknown project element") << document("2", "<extra/>") << 5 << false;
        QTest::newRow("unknown project element, newer version") << document("3", "<extra>x</extra>") << 6 << true;
        QTest::newRow("unknown survey element") << document("2", "", "<extra/>") << 5 << false;
        QTest::newRow("unknown survey element, newer version") << document("3", "", "<extra/>") << 6 << true;
        QTest::newRow("unknown picture element, newer version") << document("3", "", "", "<extra/>") << 5 << false;
        QTest::newRow("bad child of surveys")
            << document("2").replace("<surveys>", "<surveys><notasurvey/>") << 5 << false;
        QTest::newRow("bad child of pictures")
            << document("2").replace("<pictures>", "<pictures><photo/>") << 5 << false;
        QTest::newRow("survey without date")
            << document("2").replace("<date>2024-03-01T09:00:00Z</date>", "") << 5 << false;
        QTest::newRow("picture without path")
            << document("2").replace("path=\"Photos/a.jpg\"", "") << 5 << false;
        QTest::newRow("element inside a text element")
            << document("2").replace("<name>P</name>", "<name>P<b/></name>") << 5 << false;
        QTest::newRow("missing version is accepted")
            << document("2").replace(" version=\"2\"", "") << 0 << true;
    }

    void readerErrorTable()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, error);
        QFETCH(bool, hasProject);
        ProjectTypes::ProjectError actual = ProjectTypes::ProjectErrorNone;
        const SurveyProjectPtr project = readText(content, actual);
        QCOMPARE(static_cast<int>(actual), error);
        QCOMPARE(bool(project), hasProject);
    }

    void missingFileIsAccessError()
    {
        CProjectXmlReader reader;
        QVERIFY(!reader.read(m_dir.filePath("nothing-here.xml"), false));
        QCOMPARE(reader.error(), ProjectTypes::ProjectErrorLoadFileAccess);
    }

    void tolerantValuesReadAsDocumented()
    {
        ProjectTypes::ProjectError error;
        const SurveyProjectPtr project = readText(
            document("2", "", "<inspection-direction>7</inspection-direction>",
                     "<latitude>abc</latitude><longitude>8.5</longitude>")
                .replace("<type>SEC</type>", "<type>XYZ</type>"),
            error);
        QVERIFY(project);
        const SurveyPtr survey = project->surveys().at(0);
        QCOMPARE(survey->inspectionDirection(), ProjectTypes::SurveyDirectionUnknown);
        QCOMPARE(survey->type(), ProjectTypes::SurveyTypeInvalid);
        QCOMPARE(survey->pictures().at(0)->latitude(), 0.0);
        QCOMPARE(survey->pictures().at(0)->longitude(), 8.5);
        QVERIFY(std::isnan(survey->pictures().at(0)->altitude()));
    }

    void missingIdsAreDerivedOrCreated()
    {
        const QByteArray content = document("2")
                                       .replace("6f1c1d4e-0b5a-4c8e-9f2a-3b4c5d6e7f80", "")
                                       .replace("1b4e28ba-2fa1-11d2-883f-0016d3cca427", "");
        ProjectTypes::ProjectError error;
        const SurveyProjectPtr first = readText(content, error);
        const SurveyProjectPtr second = readText(content, error);
        QVERIFY(first && second);
        QCOMPARE(first->id(), projectIdFromName("P"));
        QCOMPARE(first->id(), second->id());
        QVERIFY(!first->surveys().at(0)->id().isNull());
        QVERIFY(first->surveys().at(0)->id() != second->surveys().at(0)->id());
    }

    void quickModeReadsOnlyTheProjectFields()
    {
        ProjectTypes::ProjectError error;
        const SurveyProjectPtr project = readText(document("3", "<future/>"), error, true);
        QVERIFY(project);
        QCOMPARE(error, ProjectTypes::ProjectErrorNone);
        QCOMPARE(project->name(), QString("P"));
        QCOMPARE(project->date(), utc("2024-03-01T08:15:30Z"));
        QCOMPARE(project->id(), QUuid("{6f1c1d4e-0b5a-4c8e-9f2a-3b4c5d6e7f80}"));
        QVERIFY(project->surveys().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_CProjectXml)
#include "tst_CProjectXml.moc"
