#include "surveyprojects/CManholeXmlReader.h"
#include "surveyprojects/CManholeXmlWriter.h"
#include "surveyprojects/ManholeFileUpdate.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

SurveyPtr section(const QString& up, const QString& down)
{
    auto survey = std::make_shared<CSurvey>();
    survey->setUpstreamManhole(up);
    survey->setDownstreamManhole(down);
    return survey;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray manholes(const QByteArray& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<project>\n<manholes>\n" + body + "</manholes>\n</project>\n";
}

} // namespace

class tst_CManholeXml : public QObject
{
    Q_OBJECT

private:
    QString projectPath()
    {
        const QString path = m_dir.filePath(QString("p%1/").arg(++m_counter));
        QDir().mkpath(path);
        return path;
    }

    ManholeListPtr readText(const QByteArray& content, ProjectTypes::ProjectError& error)
    {
        const QString path = projectPath();
        writeAll(path + "manholes.xml", content);
        CManholeXmlReader reader;
        ManholeListPtr list = reader.read(path + "manholes.xml");
        error = reader.error();
        return list;
    }

    QTemporaryDir m_dir;
    int m_counter = 0;

private slots:
    void writesTheDocumentedLayout()
    {
        const QString path = projectPath();
        auto list = std::make_shared<ManholeList>();
        list->append(CGeoManhole("A", QGeoCoordinate(47.5, 8.25, 400)));
        list->append(CGeoManhole("B & C", QGeoCoordinate()));
        QVERIFY(CManholeXmlWriter().write(list, path));
        const QByteArray expected = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                    "<project>\n"
                                    "    <manholes>\n"
                                    "        <manhole>\n"
                                    "            <name>A</name>\n"
                                    "            <coordinate>POINT ZM(47.5 8.25 400 0)</coordinate>\n"
                                    "        </manhole>\n"
                                    "        <manhole>\n"
                                    "            <name>B &amp; C</name>\n"
                                    "        </manhole>\n"
                                    "    </manholes>\n"
                                    "</project>\n";
        QCOMPARE(readAll(path + "manholes.xml"), expected);

        CManholeXmlReader reader;
        const ManholeListPtr read = reader.read(path + "manholes.xml");
        QVERIFY(read);
        QCOMPARE(reader.error(), ProjectTypes::ProjectErrorNone);
        QCOMPARE(read->size(), 2);
        QCOMPARE(read->at(0).coordinate(), QGeoCoordinate(47.5, 8.25, 400));
        QVERIFY(!read->at(1).coordinate().isValid());
        QCOMPARE(read->at(1).name(), QString("B & C"));
    }

    // Six significant digits would move a manhole at 100 degrees by hundreds of metres.
    void positionsRoundTripExactly()
    {
        const QString path = projectPath();
        const QGeoCoordinate precise(47.376886123, 123.456789012, 412.345678);
        auto list = std::make_shared<ManholeList>(ManholeList{CGeoManhole("A", precise)});
        QVERIFY(CManholeXmlWriter().write(list, path));
        const ManholeListPtr read = CManholeXmlReader().read(path + "manholes.xml");
        QVERIFY(read);
        QCOMPARE(read->at(0).coordinate().latitude(), precise.latitude());
        QCOMPARE(read->at(0).coordinate().longitude(), precise.longitude());
        QCOMPARE(read->at(0).coordinate().altitude(), precise.altitude());

        const QGeoCoordinate flat(47.5, 8.25);
        const QString text = CManholeXmlWriter::formatCoordinate(flat);
        const QGeoCoordinate back = CManholeXmlReader::parseCoordinate(text);
        QVERIFY(back.isValid());
        QCOMPARE(back.latitude(), 47.5);
        QVERIFY(std::isnan(back.altitude()));
    }

    void coordinateShapes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("full") << "POINT ZM(1.5 2.5 3.5 0)" << true;
        QTest::newRow("no measure") << "POINT ZM(1.5 2.5 3.5)" << false;
        QTest::newRow("POINT Z") << "POINT Z(1.5 2.5 3.5 0)" << false;
        QTest::newRow("no closing") << "POINT ZM(1.5 2.5 3.5 0" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("bare prefix") << "POINT ZM()" << false;
    }

    void coordinateShapes()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(CManholeXmlReader::parseCoordinate(text).isValid(), valid);
    }

    void readerErrorTable_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("count");
        QTest::newRow("valid") << manholes("<manhole><name>A</name></manhole>") << 0 << 1;
        QTest::newRow("manhole without name is dropped")
            << manholes("<manhole><coordinate>POINT ZM(1 2 3 0)</coordinate></manhole><manhole><name>B</name></manhole>")
            << 0 << 1;
        QTest::newRow("unknown manhole child")
            << manholes("<manhole><name>A</name><depth>3</depth></manhole>") << 17 << -1;
        QTest::newRow("other root") << QByteArray("<manholes/>") << 17 << -1;
        QTest::newRow("first child not manholes") << QByteArray("<project><other/></project>") << 17 << -1;
        QTest::newRow("empty file") << QByteArray() << 17 << -1;
        QTest::newRow("xml error between manholes")
            << QByteArray("<project><manholes><manhole><name>A</name></manhole><manhole><name>B</name></manhole><") << 0
            << 2;
        QTest::newRow("xml error inside a manhole")
            << QByteArray("<project><manholes><manhole><name>A</name></manhole><manhole><name>B") << 17 << -1;
        QTest::newRow("other elements are stepped into")
            << manholes("<group><manhole><name>A</name></manhole></group><manhole><name>B</name></manhole>") << 0
            << 2;
    }

    void readerErrorTable()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, error);
        QFETCH(int, count);
        ProjectTypes::ProjectError actual;
        const ManholeListPtr list = readText(content, actual);
        QCOMPARE(static_cast<int>(actual), error);
        QCOMPARE(list ? list->size() : -1, count);
    }

    void missingFileIsAccessError()
    {
        CManholeXmlReader reader;
        QVERIFY(!reader.read(m_dir.filePath("none/manholes.xml")));
        QCOMPARE(reader.error(), ProjectTypes::ProjectErrorLoadManholeFileAccess);
    }

    void mergeAddsNamesAndKeepsPositions()
    {
        const QString path = projectPath();
        const QGeoCoordinate position(47.376886123, 100.123456789, 401.5);
        auto list = std::make_shared<ManholeList>(ManholeList{CGeoManhole("B", position)});
        QVERIFY(CManholeXmlWriter().write(list, path));

        QVERIFY(updateManholeFile({section("A", "B")}, path));
        const ManholeListPtr merged = CManholeXmlReader().read(path + "manholes.xml");
        QVERIFY(merged);
        QCOMPARE(merged->size(), 2);
        QCOMPARE(merged->at(0).name(), QString("A"));
        QVERIFY(!merged->at(0).coordinate().isValid());
        QCOMPARE(merged->at(1).name(), QString("B"));
        QCOMPARE(merged->at(1).coordinate(), position);

        const QDateTime written = QFileInfo(path + "manholes.xml").lastModified();
        const QByteArray before = readAll(path + "manholes.xml");
        QFile::setPermissions(path + "manholes.xml", QFile::ReadOwner);
        QVERIFY(updateManholeFile({section("A", "B")}, path));
        QCOMPARE(readAll(path + "manholes.xml"), before);
        QCOMPARE(QFileInfo(path + "manholes.xml").lastModified(), written);
    }

    void mergeCreatesTheFileOnlyWhenANameAppears()
    {
        const QString path = projectPath();
        QVERIFY(updateManholeFile({section(QString(), QString())}, path));
        QVERIFY(!QFile::exists(path + "manholes.xml"));
        auto manholeSurvey = std::make_shared<CSurvey>();
        manholeSurvey->setType(ProjectTypes::SurveyTypeManhole);
        manholeSurvey->setManholeName("N1");
        QVERIFY(updateManholeFile({manholeSurvey}, path));
        const ManholeListPtr read = CManholeXmlReader().read(path + "manholes.xml");
        QVERIFY(read);
        QCOMPARE(read->size(), 1);
        QCOMPARE(read->at(0).name(), QString("N1"));
    }

    // With duplicates in the file the count differs from the number of names; a new name
    // must still be written, and a file without new names left alone.
    void mergeWritesWheneverANameWasAdded()
    {
        const QString path = projectPath();
        const QByteArray duplicates = manholes("<manhole><name>A</name></manhole><manhole><name>A</name>"
                                               "<coordinate>POINT ZM(1 2 3 0)</coordinate></manhole>");
        writeAll(path + "manholes.xml", duplicates);
        QVERIFY(updateManholeFile({section("A", QString())}, path));
        QCOMPARE(readAll(path + "manholes.xml"), duplicates);

        QVERIFY(updateManholeFile({section("A", "Z")}, path));
        const ManholeListPtr read = CManholeXmlReader().read(path + "manholes.xml");
        QCOMPARE(read->size(), 2);
        QCOMPARE(read->at(0).coordinate(), QGeoCoordinate(1, 2, 3));
    }

    void mergeNeverOverwritesAnUnreadableFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("invalid") << manholes("<manhole><name>A</name><depth/></manhole>");
        QTest::newRow("truncated")
            << QByteArray("<project><manholes><manhole><name>A</name><coordinate>POINT ZM(1 2 3 0)</coordinate>"
                          "</manhole><manhole><name>B</name></manhole><man");
        QTest::newRow("not xml") << QByteArray("garbage");
    }

    void mergeNeverOverwritesAnUnreadableFile()
    {
        QFETCH(QByteArray, content);
        const QString path = projectPath();
        writeAll(path + "manholes.xml", content);
        updateManholeFile({section("NEW", "OTHER")}, path);
        QCOMPARE(readAll(path + "manholes.xml"), content);
    }
};

QTEST_GUILESS_MAIN(tst_CManholeXml)
#include "tst_CManholeXml.moc"
