#include "photoeditor/CDrawingDynamicText.h"
#include "photoeditor/CDrawingImage.h"
#include "photoeditor/CDrawingTemplateReader.h"
#include "photoeditor/CDrawingTemplateService.h"
#include "photoeditor/CDrawingTemplateWriter.h"
#include "photoeditor/CDrawingText.h"
#include "photoeditor/DrawingObjectFactory.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

namespace {

DrawingObjectPtr make(CDrawingObject::Type type, uint id, int x, int y, int w, int h, int rotation,
                      const QColor& background, const QColor& stroke, int strokeWidth)
{
    return createDrawingObject(type, id, x, y, w, h, rotation, background, stroke, strokeWidth);
}

// One object of every kind, with ids that are not consecutive.
QVector<DrawingObjectPtr> everyKind()
{
    QVector<DrawingObjectPtr> objects;
    const DrawingObjectPtr image = make(CDrawingObject::Image, 0, 1421, 10, 585, 221, 0, QColor(0, 0, 0, 0),
                                        QColor(0, 0, 0, 0), 0);
    static_cast<CDrawingImage*>(image.get())->setSource(QStringLiteral(":/graphics/logos/HoseluxLogo.png"));
    objects << image;
    const DrawingObjectPtr text = make(CDrawingObject::Text, 1, -20, -5, 300, 40, 15, QColor(255, 0, 0, 128),
                                       QColor(1, 2, 3), 2);
    static_cast<CDrawingText*>(text.get())->setText(QStringLiteral("Crack <12 mm> & \"root\" – Ø 300"));
    static_cast<CDrawingText*>(text.get())->setTextColor(QColor(255, 255, 255));
    static_cast<CDrawingText*>(text.get())->setFontSize(24);
    objects << text;
    objects << make(CDrawingObject::Rectangle, 2, 5, 6, 7, 8, -90, QColor(10, 20, 30, 40), QColor(50, 60, 70), 3);
    objects << make(CDrawingObject::Ellipse, 3, 0, 0, 1, 1, 359, Qt::green, Qt::blue, 1);
    objects << make(CDrawingObject::Line, 6, 100, 200, 300, 4, 45, Qt::black, Qt::white, 4);
    objects << make(CDrawingObject::Cross, 9, 1, 1, 50, 50, 0, Qt::yellow, Qt::red, 5);
    objects << make(CDrawingObject::Arrow, 10, 2, 3, 101, 21, 180, Qt::cyan, Qt::magenta, 0);
    const DrawingObjectPtr dynamicText = make(CDrawingObject::DynamicText, 42, 6, 670, 300, 44, 0,
                                              QColor(255, 0, 0, 128), QColor(0, 0, 0, 0), 0);
    static_cast<CDrawingDynamicText*>(dynamicText.get())->setField(CDrawingDynamicText::InspectionTime);
    static_cast<CDrawingDynamicText*>(dynamicText.get())->setTextColor(Qt::white);
    static_cast<CDrawingDynamicText*>(dynamicText.get())->setFontSize(12);
    objects << dynamicText;
    return objects;
}

QVariantMap snapshot(const DrawingObjectPtr& object)
{
    QVariantMap values;
    for (int i = 0; i < object->metaObject()->propertyCount(); ++i) {
        const QMetaProperty property = object->metaObject()->property(i);
        values.insert(QString::fromLatin1(property.name()), property.read(object.get()));
    }
    values.insert(QStringLiteral("id"), object->id());
    values.insert(QStringLiteral("class"), QString::fromLatin1(object->metaObject()->className()));
    return values;
}

QByteArray objectXml(const QByteArray& children)
{
    return "<object>" + children + "</object>";
}

QByteArray document(const QByteArray& objects, const QByteArray& versionAttribute = "version=\"1\"",
                    const QByteArray& name = "<name>T</name>")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<template " + versionAttribute + ">" + name + "<objects>" +
           objects + "</objects></template>\n";
}

const QByteArray Rect = "<type>rectangle</type><x>1</x><y>2</y><width>3</width><height>4</height>";

} // namespace

class tst_CDrawingTemplateXml : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_folder.isValid()); }
    void roundTripKeepsEveryObjectInOrder();
    void writerMatchesTheGoldenFile();
    void emptyTemplateRoundTrips();
    void nameIsEscaped();
    void writerFailures();
    void readerFailureTable_data();
    void readerFailureTable();
    void objectValuesAndDefaults();
    void unknownElementsInsideAnObjectAreSkippedWhole();
    void objectOfInvalidTypeCannotBeReadBack();
    void builtInTemplates_data();
    void builtInTemplates();

private:
    QString writeFile(const QString& name, const QByteArray& content)
    {
        const QString path = m_folder.filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            file.write(content);
        }
        return path;
    }

    QTemporaryDir m_folder;
};

void tst_CDrawingTemplateXml::roundTripKeepsEveryObjectInOrder()
{
    const QVector<DrawingObjectPtr> objects = everyKind();
    const QString path = m_folder.filePath(QStringLiteral("every-kind.xml"));
    QVERIFY(CDrawingTemplateWriter().write(std::make_shared<CDrawingTemplate>(QStringLiteral("Every kind"), objects),
                                           path));
    CDrawingTemplateReader reader;
    const DrawingTemplatePtr read = reader.read(path, false);
    QCOMPARE(reader.error(), int(CDrawingTemplateReader::ReadErrorNone));
    QVERIFY(read);
    QCOMPARE(read->name(), QStringLiteral("Every kind"));
    QCOMPARE(read->objects().size(), objects.size());
    for (int i = 0; i < objects.size(); ++i) {
        QCOMPARE(snapshot(read->objects().at(i)), snapshot(objects.at(i)));
    }

    // Name-only mode gives the name and no objects.
    const DrawingTemplatePtr listed = reader.read(path, true);
    QVERIFY(listed);
    QCOMPARE(listed->name(), QStringLiteral("Every kind"));
    QVERIFY(listed->objects().isEmpty());
}

void tst_CDrawingTemplateXml::writerMatchesTheGoldenFile()
{
    const QString path = m_folder.filePath(QStringLiteral("golden.xml"));
    QVERIFY(CDrawingTemplateWriter().write(std::make_shared<CDrawingTemplate>(QStringLiteral("Golden"), everyKind()),
                                           path));
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QFile golden(QStringLiteral(CX_TEST_SOURCE_DIR "/data/every-kind.xml"));
    QVERIFY2(golden.open(QIODevice::ReadOnly), "the golden file is missing");
    QCOMPARE(written.readAll(), golden.readAll());
}

void tst_CDrawingTemplateXml::emptyTemplateRoundTrips()
{
    const QString path = m_folder.filePath(QStringLiteral("empty.xml"));
    QVERIFY(CDrawingTemplateWriter().write(std::make_shared<CDrawingTemplate>(QStringLiteral("Empty"),
                                                                              QVector<DrawingObjectPtr>()),
                                           path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("<objects/>"));
    CDrawingTemplateReader reader;
    const DrawingTemplatePtr read = reader.read(path, false);
    QVERIFY(read);
    QVERIFY(read->objects().isEmpty());
}

void tst_CDrawingTemplateXml::nameIsEscaped()
{
    const QString name = QStringLiteral("Video > Photo & more <1080p>");
    const QString path = m_folder.filePath(QStringLiteral("escaped.xml"));
    QVERIFY(CDrawingTemplateWriter().write(std::make_shared<CDrawingTemplate>(name, QVector<DrawingObjectPtr>()),
                                           path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    QVERIFY(content.contains("&amp;"));
    QVERIFY(content.contains("&lt;1080p&gt;"));
    CDrawingTemplateReader reader;
    QCOMPARE(reader.read(path, true)->name(), name);
    QCOMPARE(reader.read(path, false)->name(), name);
}

void tst_CDrawingTemplateXml::writerFailures()
{
    CDrawingTemplateWriter writer;
    const QString path = m_folder.filePath(QStringLiteral("null.xml"));
    QVERIFY(!writer.write(DrawingTemplatePtr(), path));
    QVERIFY(!QFile::exists(path));
    const DrawingTemplatePtr drawingTemplate = std::make_shared<CDrawingTemplate>(QStringLiteral("T"), everyKind());
    QVERIFY(!writer.write(drawingTemplate, QStringLiteral(":/drawingtemplates/Zephira720p.xml")));
    QVERIFY(!writer.write(drawingTemplate, m_folder.filePath(QStringLiteral("missing/folder/t.xml"))));
    QVERIFY(!writer.write(drawingTemplate, QString()));
}

void tst_CDrawingTemplateXml::readerFailureTable_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("nameOnly");
    QTest::addColumn<int>("error");

    const int none = CDrawingTemplateReader::ReadErrorNone;
    const int version = CDrawingTemplateReader::ReadErrorVersion;
    const int format = CDrawingTemplateReader::ReadErrorFormat;
    const QByteArray good = objectXml("<id>0</id>" + Rect);

    QTest::newRow("valid") << document(good) << false << none;
    QTest::newRow("empty file") << QByteArray() << false << format;
    QTest::newRow("empty file, listing") << QByteArray() << true << format;
    QTest::newRow("other root") << QByteArray("<drawing version=\"1\"><name>T</name></drawing>") << true << format;
    QTest::newRow("version 2") << document(good, "version=\"2\"") << false << version;
    QTest::newRow("version 2, listing") << document(good, "version=\"2\"") << true << none;
    QTest::newRow("version missing") << document(good, "") << false << version;
    QTest::newRow("version 1.0") << document(good, "version=\"1.0\"") << false << version;
    QTest::newRow("other child of template") << document(good).replace("<objects>", "<notes/><objects>") << false
                                             << format;
    QTest::newRow("other child of template, listing") << document(good).replace("<objects>", "<notes/><objects>")
                                                      << true << none;
    QTest::newRow("name inside another element, listing")
        << document(good, "version=\"1\"", "<meta><name>T</name></meta>") << true << none;
    QTest::newRow("other child of objects") << document(good + "<shape/>") << false << format;
    QTest::newRow("type missing") << document(objectXml("<id>0</id><x>1</x>")) << false << format;
    QTest::newRow("unknown type word") << document(objectXml("<type>Rectangle</type><id>0</id>")) << false << format;
    QTest::newRow("id missing") << document(objectXml(Rect)) << false << format;
    QTest::newRow("negative id") << document(objectXml("<id>-1</id>" + Rect)) << false << format;
    QTest::newRow("unregistered id") << document(objectXml("<id>4294967295</id>" + Rect)) << false << format;
    QTest::newRow("repeated id") << document(objectXml("<id>3</id>" + Rect) + objectXml("<id>3</id>" + Rect))
                                 << false << format;
    QTest::newRow("ids with gaps") << document(objectXml("<id>3</id>" + Rect) + objectXml("<id>0</id>" + Rect))
                                   << false << none;
    QTest::newRow("dynamic text without field")
        << document(objectXml("<type>dynamic-text</type><id>0</id>")) << false << format;
    QTest::newRow("dynamic text with unknown field")
        << document(objectXml("<type>dynamic-text</type><id>0</id><field>Project-Name</field>")) << false << format;
    QTest::newRow("not well-formed") << document(good).replace("</objects>", "</object>") << false << format;
    QTest::newRow("ends early") << document(good).left(60) << false << format;
    QTest::newRow("ends early, listing") << document(good).left(40) << true << format;
    QTest::newRow("empty name") << document(good, "version=\"1\"", "<name></name>") << false << format;
    QTest::newRow("empty name, listing") << document(good, "version=\"1\"", "<name/>") << true << format;
    QTest::newRow("no name") << document(good, "version=\"1\"", "") << true << format;
}

void tst_CDrawingTemplateXml::readerFailureTable()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, nameOnly);
    QFETCH(int, error);
    const QString path = writeFile(QStringLiteral("case.xml"), content);
    CDrawingTemplateReader reader;
    const DrawingTemplatePtr read = reader.read(path, nameOnly);
    QCOMPARE(reader.error(), error);
    QCOMPARE(bool(read), error == CDrawingTemplateReader::ReadErrorNone);
    if (read) {
        QCOMPARE(read->name(), QStringLiteral("T"));
    }

    // The next read starts afresh.
    QVERIFY(!reader.read(m_folder.filePath(QStringLiteral("does-not-exist.xml")), nameOnly));
    QCOMPARE(reader.error(), int(CDrawingTemplateReader::ReadErrorOpen));
}

void tst_CDrawingTemplateXml::objectValuesAndDefaults()
{
    const QByteArray objects =
        objectXml("<type>rectangle</type><id>7</id><y>-4</y><width>abc</width><height>12</height>"
                  "<background-color>#00000000</background-color><stroke-color>red</stroke-color>"
                  "<x>9</x><x>11</x>") +
        objectXml("<type>text</type><id>8</id><text-color>#102030</text-color><font-size>14</font-size>"
                  "<text>  spaced  </text><field>survey-name</field><source>/a.png</source>");
    const QString path = writeFile(QStringLiteral("values.xml"), document(objects, "version=\"1\"",
                                                                          "<name>First</name><name>T</name>"));
    CDrawingTemplateReader reader;
    const DrawingTemplatePtr read = reader.read(path, false);
    QVERIFY(read);
    QCOMPARE(read->name(), QStringLiteral("T"));
    QCOMPARE(read->objects().size(), 2);

    const DrawingObjectPtr rectangle = read->objects().at(0);
    QCOMPARE(rectangle->id(), 7u);
    QCOMPARE(rectangle->x(), 11);
    QCOMPARE(rectangle->y(), -4);
    QCOMPARE(rectangle->width(), 0);
    QCOMPARE(rectangle->height(), 12);
    QCOMPARE(rectangle->rotation(), 0);
    QVERIFY(rectangle->backgroundColor().isValid());
    QCOMPARE(rectangle->backgroundColor(), QColor(0, 0, 0, 0));
    QCOMPARE(rectangle->strokeColor(), QColor(Qt::red));

    auto text = qobject_cast<CDrawingText*>(read->objects().at(1).get());
    QVERIFY(text);
    QCOMPARE(text->text(), QStringLiteral("  spaced  "));
    QCOMPARE(text->textColor(), QColor(0x10, 0x20, 0x30));
    QCOMPARE(text->fontSize(), 14);
    QVERIFY(!text->backgroundColor().isValid());
    QCOMPARE(text->x(), 0);
}

void tst_CDrawingTemplateXml::unknownElementsInsideAnObjectAreSkippedWhole()
{
    // The nested elements must not be taken for the object's own.
    const QByteArray objects =
        objectXml("<type>arrow</type><id>1</id><note><type>image</type><id>5</id><x>99</x></note><x>3</x>") +
        objectXml("<type>line</type><id>5</id>");
    const QString path = writeFile(QStringLiteral("unknown.xml"), document(objects));
    CDrawingTemplateReader reader;
    const DrawingTemplatePtr read = reader.read(path, false);
    QCOMPARE(reader.error(), int(CDrawingTemplateReader::ReadErrorNone));
    QVERIFY(read);
    QCOMPARE(read->objects().size(), 2);
    QCOMPARE(read->objects().at(0)->type(), CDrawingObject::Arrow);
    QCOMPARE(read->objects().at(0)->id(), 1u);
    QCOMPARE(read->objects().at(0)->x(), 3);
    QCOMPARE(read->objects().at(1)->type(), CDrawingObject::Line);
}

void tst_CDrawingTemplateXml::objectOfInvalidTypeCannotBeReadBack()
{
    const DrawingObjectPtr invalid = std::make_shared<CDrawingObject>(CDrawingObject::Invalid, 1u);
    const QString path = m_folder.filePath(QStringLiteral("invalid.xml"));
    QVERIFY(CDrawingTemplateWriter().write(
        std::make_shared<CDrawingTemplate>(QStringLiteral("T"), QVector<DrawingObjectPtr>{invalid}), path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("<type></type>"));
    CDrawingTemplateReader reader;
    QVERIFY(!reader.read(path, false));
    QCOMPARE(reader.error(), int(CDrawingTemplateReader::ReadErrorFormat));
}

void tst_CDrawingTemplateXml::builtInTemplates_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    const QMap<QString, QString> builtIns = CDrawingTemplateService::builtInTemplates();
    QCOMPARE(builtIns.size(), 7);
    for (auto it = builtIns.cbegin(); it != builtIns.cend(); ++it) {
        QTest::newRow(qPrintable(it.key())) << it.key() << it.value();
    }
}

void tst_CDrawingTemplateXml::builtInTemplates()
{
    QFETCH(QString, name);
    QFETCH(QString, path);
    CDrawingTemplateReader reader;
    const DrawingTemplatePtr read = reader.read(path, false);
    QCOMPARE(reader.error(), int(CDrawingTemplateReader::ReadErrorNone));
    QVERIFY(read);
    QCOMPARE(read->name(), name);

    QList<uint> ids;
    QList<int> fields;
    for (const DrawingObjectPtr& object : read->objects()) {
        ids << object->id();
        QCOMPARE(object->rotation(), 0);
        QCOMPARE(object->strokeColor(), QColor(0, 0, 0, 0));
        QCOMPARE(object->strokeWidth(), 0);
        if (auto image = qobject_cast<CDrawingImage*>(object.get())) {
            QCOMPARE(image->backgroundColor(), QColor(0, 0, 0, 0));
            QVERIFY2(!QImage(image->source()).isNull(), qPrintable(image->source()));
        } else if (auto text = qobject_cast<CDrawingBaseText*>(object.get())) {
            QCOMPARE(text->backgroundColor(), QColor(0, 0, 0x80));
            QCOMPARE(text->textColor(), QColor(Qt::white));
            QVERIFY(text->fontSize() > 0);
            if (auto dynamicText = qobject_cast<CDrawingDynamicText*>(object.get())) {
                fields << dynamicText->field();
            } else {
                QVERIFY(!static_cast<CDrawingText*>(object.get())->text().isEmpty());
            }
        }
    }
    const bool hasLogo = name != QStringLiteral("Gully Rover");
    QCOMPARE(ids, hasLogo ? (QList<uint>{0, 1, 2, 3, 6}) : (QList<uint>{1, 2, 3, 6}));
    QCOMPARE(fields, (QList<int>{CDrawingDynamicText::ProjectName, CDrawingDynamicText::SurveyName,
                                 CDrawingDynamicText::InspectionDate}));

    if (name == QStringLiteral("Zephira (720p)")) {
        const DrawingObjectPtr logo = read->objects().at(0);
        QCOMPARE(QRect(logo->x(), logo->y(), logo->width(), logo->height()), QRect(875, 6, 399, 93));
        const DrawingObjectPtr date = read->objects().at(4);
        QCOMPARE(QRect(date->x(), date->y(), date->width(), date->height()), QRect(998, 670, 276, 44));
        QCOMPARE(static_cast<CDrawingBaseText*>(date.get())->fontSize(), 24);
    }
}

QTEST_GUILESS_MAIN(tst_CDrawingTemplateXml)
#include "tst_CDrawingTemplateXml.moc"
