#include "photoeditor/CDrawingDynamicText.h"
#include "photoeditor/CDrawingImage.h"
#include "photoeditor/CDrawingRenderer.h"
#include "photoeditor/CDrawingText.h"
#include "photoeditor/DrawingObjectFactory.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

namespace {

const QColor Paper(Qt::white);
const QColor Ink(255, 0, 0);
const QColor Fill(0, 0, 255);
const QColor Clear(0, 0, 0, 0);

DrawingObjectPtr object(CDrawingObject::Type type, int x, int y, int width, int height, int strokeWidth,
                        const QColor& background = Fill, const QColor& stroke = Ink, int rotation = 0)
{
    return createDrawingObject(type, 0, x, y, width, height, rotation, background, stroke, strokeWidth);
}

QImage paper(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Paper);
    return image;
}

QColor at(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

bool isPaper(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y) == Paper;
}

// The columns of one row that the painting touched.
QList<int> markedColumns(const QImage& image, int y)
{
    QList<int> columns;
    for (int x = 0; x < image.width(); ++x) {
        if (!isPaper(image, x, y)) {
            columns << x;
        }
    }
    return columns;
}

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QByteArray();
    }
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

bool near(const QColor& a, const QColor& b, int tolerance)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

class tst_CDrawingRenderer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void strokeInsetRectangle();
    void rectangleIsDrawnOnTheInsetRectangle();
    void rectangleWithoutStrokeUsesTheFullRectangle();
    void ellipseIsInscribed();
    void lineFillsItsRectangleAndRunsThroughTheMiddle();
    void crossIsAnUprightPlus();
    void arrowHeadEndsAtSevenTenthsOfTheWidth();
    void rotationTurnsAboutTheObjectsOwnCentre();
    void positiveAnglesTurnClockwise();
    void laterObjectsPaintOverEarlierOnes();
    void textIsCentredInsideItsBox();
    void dynamicTextWithoutDataShowsOnlyItsBox();
    void imageIsScaledAndCentredOnTheObject();
    void imageThatCannotBeLoadedLeavesNoTrace();
    void paletteImageIsPaintedOn();
    void renderFileConvertsBetweenFormats_data();
    void renderFileConvertsBetweenFormats();
    void renderFileDetectsTheInputFormatByContent();
    void renderFileKeepsThePhotoComment_data();
    void renderFileKeepsThePhotoComment();
    void emptyObjectListReencodesThePhoto();
    void unreadableInputWritesNothing();
    void failedWriteLeavesThePhotoIntact();
    void missingOutputFolderFails();
    void extremeNumbersFromFilesAreSurvived();

private:
    QTemporaryDir m_folder;
    bool m_hasRoboto = false;
};

void tst_CDrawingRenderer::initTestCase()
{
    QVERIFY(m_folder.isValid());
    const int font = QFontDatabase::addApplicationFont(
        QStringLiteral("/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Regular.ttf"));
    m_hasRoboto = font >= 0;
}

void tst_CDrawingRenderer::strokeInsetRectangle()
{
    const DrawingObjectPtr rectangle = object(CDrawingObject::Rectangle, 10, 10, 100, 50, 4);
    QCOMPARE(CDrawingRenderer::strokeInsetRect(*rectangle, true), QRect(QPoint(14, 14), QPoint(105, 55)));
    QCOMPARE(CDrawingRenderer::strokeInsetRect(*rectangle, false), QRect(10, 10, 100, 50));

    // Numbers from a template file must not overflow.
    const DrawingObjectPtr huge = object(CDrawingObject::Rectangle, 2147483000, -2147483000, 2147483647, 5, -10);
    const QRect rect = CDrawingRenderer::strokeInsetRect(*huge, true);
    QCOMPARE(rect.left(), 2147483000 - 10);
    QCOMPARE(rect.right(), 2147483647);
}

void tst_CDrawingRenderer::rectangleIsDrawnOnTheInsetRectangle()
{
    QImage image = paper(130, 80);
    CDrawingRenderer renderer;
    QVERIFY(renderer.render({object(CDrawingObject::Rectangle, 10, 10, 100, 50, 4)}, {}, image));
    // The outline is centred on the inset corners (14, 14) and (105, 55).
    QCOMPARE(at(image, 14, 14), Ink);
    QCOMPARE(at(image, 105, 55), Ink);
    QCOMPARE(at(image, 14, 35), Ink);
    QCOMPARE(at(image, 105, 35), Ink);
    QCOMPARE(at(image, 60, 14), Ink);
    QCOMPARE(at(image, 60, 55), Ink);
    QCOMPARE(at(image, 60, 35), Fill);
    QCOMPARE(at(image, 17, 17), Fill);
    // Nothing outside the object rectangle.
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!QRect(10, 10, 100, 50).contains(x, y)) {
                QVERIFY2(isPaper(image, x, y), qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
            }
        }
    }
}

void tst_CDrawingRenderer::rectangleWithoutStrokeUsesTheFullRectangle()
{
    QImage image = paper(60, 40);
    CDrawingRenderer renderer;
    // Stroke width 0 is Qt's one-pixel cosmetic outline; a transparent stroke colour hides it.
    QVERIFY(renderer.render({object(CDrawingObject::Rectangle, 10, 10, 30, 20, 0, Fill, Clear)}, {}, image));
    QCOMPARE(at(image, 11, 11), Fill);
    QCOMPARE(at(image, 38, 28), Fill);
    QVERIFY(isPaper(image, 8, 20));
    QVERIFY(isPaper(image, 41, 20));
}

void tst_CDrawingRenderer::ellipseIsInscribed()
{
    QImage image = paper(130, 80);
    CDrawingRenderer renderer;
    QVERIFY(renderer.render({object(CDrawingObject::Ellipse, 10, 10, 100, 50, 4)}, {}, image));
    QCOMPARE(at(image, 60, 35), Fill);
    QCOMPARE(at(image, 14, 35), Ink);
    QCOMPARE(at(image, 105, 35), Ink);
    QCOMPARE(at(image, 60, 14), Ink);
    // The corners of the box stay free.
    QVERIFY(isPaper(image, 16, 16));
    QVERIFY(isPaper(image, 103, 53));
}

void tst_CDrawingRenderer::lineFillsItsRectangleAndRunsThroughTheMiddle()
{
    QImage image = paper(110, 50);
    CDrawingRenderer renderer;
    // L 13, R 86, T 13, B 27, midY 13 + 15 / 2 = 20.
    QVERIFY(renderer.render({object(CDrawingObject::Line, 10, 10, 80, 21, 3)}, {}, image));
    QCOMPARE(at(image, 10, 10), Fill);
    QCOMPARE(at(image, 89, 30), Fill);
    QCOMPARE(at(image, 50, 20), Ink);
    QCOMPARE(at(image, 13, 20), Ink);
    QCOMPARE(at(image, 86, 20), Ink);
    QCOMPARE(at(image, 50, 15), Fill);
    QCOMPARE(at(image, 50, 25), Fill);
    QVERIFY(isPaper(image, 9, 20));
    QVERIFY(isPaper(image, 90, 20));
    QVERIFY(isPaper(image, 50, 31));
}

void tst_CDrawingRenderer::crossIsAnUprightPlus()
{
    QImage image = paper(80, 80);
    CDrawingRenderer renderer;
    // L 12, R 67, T 12, B 67, midX = midY = 12 + 56 / 2 = 40.
    QVERIFY(renderer.render({object(CDrawingObject::Cross, 10, 10, 60, 60, 2, Clear)}, {}, image));
    QCOMPARE(at(image, 20, 40), Ink);
    QCOMPARE(at(image, 60, 40), Ink);
    QCOMPARE(at(image, 40, 20), Ink);
    QCOMPARE(at(image, 40, 60), Ink);
    QVERIFY(isPaper(image, 20, 20));
    QVERIFY(isPaper(image, 60, 60));
    QVERIFY(isPaper(image, 40, 8));
}

void tst_CDrawingRenderer::arrowHeadEndsAtSevenTenthsOfTheWidth()
{
    QImage image = paper(120, 30);
    CDrawingRenderer renderer;
    QVERIFY(renderer.render({object(CDrawingObject::Arrow, 0, 0, 101, 21, 0, Clear)}, {}, image));
    // The shaft runs along row 10 from 0 to 100.
    QVERIFY(!isPaper(image, 1, 10));
    QVERIFY(!isPaper(image, 50, 10));
    QVERIFY(!isPaper(image, 99, 10));
    QVERIFY(isPaper(image, 105, 10));
    // The barbs end at (71, 0) and (71, 20): the top and bottom rows are touched only there
    // and toward the tip.
    for (int y : {0, 20}) {
        const QList<int> columns = markedColumns(image, y);
        QVERIFY2(!columns.isEmpty(), qPrintable(QStringLiteral("row %1").arg(y)));
        QVERIFY2(columns.first() >= 70 && columns.first() <= 72,
                 qPrintable(QStringLiteral("row %1 starts at %2").arg(y).arg(columns.first())));
        QVERIFY(columns.last() <= 75);
    }
    // Halfway along each barb.
    QVERIFY(!isPaper(image, 85, 5));
    QVERIFY(!isPaper(image, 85, 15));
    QVERIFY(isPaper(image, 50, 3));
    QVERIFY(isPaper(image, 50, 17));
}

void tst_CDrawingRenderer::rotationTurnsAboutTheObjectsOwnCentre()
{
    QImage image = paper(200, 150);
    CDrawingRenderer renderer;
    // Centre (70, 70): turned by 90 degrees the horizontal line stands upright at x 70.
    const DrawingObjectPtr turned = object(CDrawingObject::Line, 20, 60, 101, 21, 2, Clear, Ink, 90);
    // The next object is not turned: the rotation does not leak.
    const DrawingObjectPtr upright = object(CDrawingObject::Rectangle, 150, 20, 30, 20, 0, Fill, Clear);
    QVERIFY(renderer.render({turned, upright}, {}, image));
    QCOMPARE(at(image, 70, 30), Ink);
    QCOMPARE(at(image, 70, 110), Ink);
    QVERIFY(isPaper(image, 30, 70));
    QVERIFY(isPaper(image, 110, 70));
    QCOMPARE(at(image, 152, 22), Fill);
    QCOMPARE(at(image, 177, 37), Fill);
    QVERIFY(isPaper(image, 165, 45));
    QVERIFY(isPaper(image, 145, 30));
}

void tst_CDrawingRenderer::positiveAnglesTurnClockwise()
{
    // An arrow points right before it turns; at +45 degrees on the y-down image it must point
    // down and to the right. Its head tells the tip from the tail, so neither a turn the other
    // way nor one by 180 degrees more looks the same.
    QImage image = paper(160, 160);
    CDrawingRenderer renderer;
    // Centre (80, 80); stroke-inset box 46..114, so the tip (114, 80) lands near (104, 104).
    QVERIFY(renderer.render({object(CDrawingObject::Arrow, 40, 40, 81, 81, 6, Clear, Ink, 45)}, {}, image));
    // The shaft runs along the falling diagonal, not the rising one.
    QVERIFY(near(at(image, 70, 70), Ink, 60));
    QVERIFY(near(at(image, 92, 92), Ink, 60));
    QVERIFY(isPaper(image, 70, 90));
    QVERIFY(isPaper(image, 90, 70));
    // The barbs leave the tip towards (114, 66) and (66, 114); the tail has none.
    QVERIFY(near(at(image, 109, 85), Ink, 60));
    QVERIFY(near(at(image, 85, 109), Ink, 60));
    QVERIFY(isPaper(image, 51, 75));
    QVERIFY(isPaper(image, 75, 51));
}

void tst_CDrawingRenderer::laterObjectsPaintOverEarlierOnes()
{
    QImage image = paper(60, 60);
    CDrawingRenderer renderer;
    QVERIFY(renderer.render({object(CDrawingObject::Rectangle, 0, 0, 60, 60, 0, Fill, Clear),
                             object(CDrawingObject::Rectangle, 20, 20, 20, 20, 0, Ink, Clear)},
                            {}, image));
    QCOMPARE(at(image, 5, 5), Fill);
    QCOMPARE(at(image, 30, 30), Ink);
}

void tst_CDrawingRenderer::textIsCentredInsideItsBox()
{
    if (!m_hasRoboto) {
        QSKIP("Roboto is not installed (fonts-roboto-unhinted)");
    }
    QImage image = paper(300, 100);
    const DrawingObjectPtr text = object(CDrawingObject::Text, 20, 20, 200, 60, 2, Fill, Ink);
    static_cast<CDrawingText*>(text.get())->setText(QStringLiteral("Joint offset"));
    static_cast<CDrawingText*>(text.get())->setTextColor(Qt::white);
    static_cast<CDrawingText*>(text.get())->setFontSize(20);
    CDrawingRenderer renderer;
    QVERIFY(renderer.render({text}, {}, image));

    // Text pixels (light) lie inside the inset box and around its centre.
    QRect glyphs;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 128 && c.green() > 128 && c.blue() > 128 && !QRect(20, 20, 200, 60).contains(x, y)) {
                continue;
            }
            if (QRect(24, 24, 192, 52).contains(x, y) && c.red() > 100 && c.green() > 100) {
                glyphs |= QRect(x, y, 1, 1);
            }
        }
    }
    QVERIFY(glyphs.isValid());
    const QPoint boxCentre = QRect(QPoint(22, 22), QPoint(217, 77)).center();
    QVERIFY2(qAbs(glyphs.center().x() - boxCentre.x()) <= 3, qPrintable(QString::number(glyphs.center().x())));
    QVERIFY2(qAbs(glyphs.center().y() - boxCentre.y()) <= 4, qPrintable(QString::number(glyphs.center().y())));
    QVERIFY(glyphs.height() < 30);
}

void tst_CDrawingRenderer::dynamicTextWithoutDataShowsOnlyItsBox()
{
    QImage withoutData = paper(200, 80);
    const DrawingObjectPtr text = object(CDrawingObject::DynamicText, 10, 10, 150, 50, 0, Fill, Clear);
    static_cast<CDrawingDynamicText*>(text.get())->setField(CDrawingDynamicText::SurveyName);
    static_cast<CDrawingDynamicText*>(text.get())->setTextColor(Qt::white);
    static_cast<CDrawingDynamicText*>(text.get())->setFontSize(20);
    CDrawingRenderer renderer;
    QVERIFY(renderer.render({text}, {{int(CDrawingDynamicText::ProjectName), QStringLiteral("Main street")}},
                            withoutData));
    for (int y = 11; y < 59; ++y) {
        for (int x = 11; x < 159; ++x) {
            QCOMPARE(at(withoutData, x, y), Fill);
        }
    }

    if (!m_hasRoboto) {
        return;
    }
    QImage withData = paper(200, 80);
    QVERIFY(renderer.render({text}, {{int(CDrawingDynamicText::SurveyName), QStringLiteral("MH 12 - MH 13")}},
                            withData));
    QVERIFY(withData != withoutData);
}

void tst_CDrawingRenderer::imageIsScaledAndCentredOnTheObject()
{
    const QString source = m_folder.filePath(QStringLiteral("wide.png"));
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(Qt::green);
    QVERIFY(picture.save(source));

    QImage image = paper(100, 100);
    const DrawingObjectPtr imageObject = object(CDrawingObject::Image, 10, 10, 60, 60, 0, Clear, Clear);
    static_cast<CDrawingImage*>(imageObject.get())->setSource(source);
    CDrawingRenderer renderer;
    QVERIFY(renderer.render({imageObject}, {}, image));
    // 40 x 20 scaled into 60 x 60 is 60 x 30, placed at (10, 10 + 15).
    const QColor green(Qt::green);
    QCOMPARE(at(image, 10, 25), green);
    QCOMPARE(at(image, 69, 54), green);
    QCOMPARE(at(image, 40, 40), green);
    QVERIFY(isPaper(image, 40, 23));
    QVERIFY(isPaper(image, 40, 56));
    QVERIFY(isPaper(image, 8, 40));
    QVERIFY(isPaper(image, 71, 40));
}

void tst_CDrawingRenderer::imageThatCannotBeLoadedLeavesNoTrace()
{
    const QString notAPicture = m_folder.filePath(QStringLiteral("broken.png"));
    QFile file(notAPicture);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\x89PNG but then nothing");
    file.close();

    for (const QString& source : {notAPicture, m_folder.filePath(QStringLiteral("missing.png")), QString()}) {
        QImage image = paper(80, 80);
        const DrawingObjectPtr imageObject = object(CDrawingObject::Image, 10, 10, 50, 50, 3);
        static_cast<CDrawingImage*>(imageObject.get())->setSource(source);
        CDrawingRenderer renderer;
        QVERIFY(renderer.render({imageObject, object(CDrawingObject::Rectangle, 70, 70, 5, 5, 0, Fill, Clear)}, {},
                                image));
        QImage expected = paper(80, 80);
        QVERIFY(renderer.render({object(CDrawingObject::Rectangle, 70, 70, 5, 5, 0, Fill, Clear)}, {}, expected));
        QCOMPARE(image, expected);
    }
}

void tst_CDrawingRenderer::paletteImageIsPaintedOn()
{
    QImage palette(50, 50, QImage::Format_Indexed8);
    palette.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    palette.fill(0);
    const QString input = m_folder.filePath(QStringLiteral("palette.png"));
    QVERIFY(palette.save(input));
    QCOMPARE(QImage(input).format(), QImage::Format_Indexed8);

    const QString output = m_folder.filePath(QStringLiteral("palette-out.png"));
    CDrawingRenderer renderer;
    QVERIFY(renderer.renderFile(input, output, {object(CDrawingObject::Rectangle, 10, 10, 20, 20, 0, Fill, Clear)},
                                {}));
    const QImage result(output);
    QCOMPARE(result.pixelColor(20, 20), Fill);
    QCOMPARE(result.pixelColor(40, 40), Paper);
}

void tst_CDrawingRenderer::renderFileConvertsBetweenFormats_data()
{
    QTest::addColumn<QString>("inputName");
    QTest::addColumn<QString>("outputName");
    QTest::addColumn<QByteArray>("outputFormat");
    QTest::addColumn<int>("tolerance");
    QTest::newRow("jpeg to png") << "in.jpg" << "out.png" << QByteArray("png") << 0;
    QTest::newRow("png to jpeg") << "in2.png" << "out.JPG" << QByteArray("jpeg") << 24;
    QTest::newRow("jpeg in place") << "same.jpeg" << "same.jpeg" << QByteArray("jpeg") << 24;
}

void tst_CDrawingRenderer::renderFileConvertsBetweenFormats()
{
    QFETCH(QString, inputName);
    QFETCH(QString, outputName);
    QFETCH(QByteArray, outputFormat);
    QFETCH(int, tolerance);
    const QString input = m_folder.filePath(inputName);
    const QString output = m_folder.filePath(outputName);
    QVERIFY(paper(160, 120).save(input));

    CDrawingRenderer renderer;
    QVERIFY(renderer.renderFile(input, output, {object(CDrawingObject::Rectangle, 40, 40, 60, 40, 0, Fill, Clear)},
                                {}));
    QImageReader reader(output);
    reader.setDecideFormatFromContent(true);
    QCOMPARE(reader.format(), outputFormat);
    const QImage result = reader.read();
    QCOMPARE(result.size(), QSize(160, 120));
    QVERIFY(near(result.pixelColor(70, 60), Fill, tolerance));
    QVERIFY(near(result.pixelColor(10, 10), Paper, tolerance));
    // No temporary file is left behind.
    QCOMPARE(QDir(m_folder.path()).entryList({QStringLiteral("*.*-*")}, QDir::Files | QDir::Hidden).size(), 0);
}

void tst_CDrawingRenderer::renderFileDetectsTheInputFormatByContent()
{
    const QString input = m_folder.filePath(QStringLiteral("actually-a-png.jpg"));
    QVERIFY(paper(30, 30).save(input, "PNG"));
    const QString output = m_folder.filePath(QStringLiteral("by-content.png"));
    CDrawingRenderer renderer;
    QVERIFY(renderer.renderFile(input, output, {object(CDrawingObject::Rectangle, 0, 0, 10, 10, 0, Fill, Clear)}, {}));
    QCOMPARE(QImage(output).pixelColor(5, 5), Fill);
}

void tst_CDrawingRenderer::renderFileKeepsThePhotoComment_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("jpeg") << "commented.jpg";
    QTest::newRow("png") << "commented.png";
}

void tst_CDrawingRenderer::renderFileKeepsThePhotoComment()
{
    // The camera writes the photo's comment as its "Description" text; burning in objects
    // must not lose it.
    QFETCH(QString, name);
    const QString path = m_folder.filePath(name);
    QImageWriter writer(path);
    writer.setText(QStringLiteral("Description"), QStringLiteral("MH 12, 3.4 m, root intrusion"));
    QVERIFY(writer.write(paper(32, 32)));
    QCOMPARE(QImageReader(path).text(QStringLiteral("Description")), QStringLiteral("MH 12, 3.4 m, root intrusion"));

    CDrawingRenderer renderer;
    QVERIFY(renderer.renderFile(path, path, {object(CDrawingObject::Rectangle, 0, 0, 8, 8, 0)}, {}));
    QCOMPARE(QImageReader(path).text(QStringLiteral("Description")), QStringLiteral("MH 12, 3.4 m, root intrusion"));
}

void tst_CDrawingRenderer::emptyObjectListReencodesThePhoto()
{
    const QString input = m_folder.filePath(QStringLiteral("plain.png"));
    QImage original = paper(20, 10);
    original.setPixelColor(3, 3, Ink);
    QVERIFY(original.save(input));
    const QString output = m_folder.filePath(QStringLiteral("plain.bmp"));
    CDrawingRenderer renderer;
    QVERIFY(renderer.renderFile(input, output, {}, {}));
    QImageReader reader(output);
    reader.setDecideFormatFromContent(true);
    QCOMPARE(reader.format(), QByteArray("bmp"));
    const QImage result = reader.read().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(result, original.convertToFormat(QImage::Format_RGB32));
}

void tst_CDrawingRenderer::unreadableInputWritesNothing()
{
    const QString input = m_folder.filePath(QStringLiteral("garbage.jpg"));
    QFile file(input);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(1000, '\x17'));
    file.close();
    const QString output = m_folder.filePath(QStringLiteral("never.png"));
    CDrawingRenderer renderer;
    QVERIFY(!renderer.renderFile(input, output, {object(CDrawingObject::Rectangle, 0, 0, 5, 5, 0)}, {}));
    QVERIFY(!renderer.renderFile(m_folder.filePath(QStringLiteral("nothing-here.jpg")), output, {}, {}));
    QVERIFY(!QFile::exists(output));
}

void tst_CDrawingRenderer::failedWriteLeavesThePhotoIntact()
{
    // A suffix without an image writer: the photo read by its content cannot be written back
    // in place, and the only copy must survive untouched.
    const QString photo = m_folder.filePath(QStringLiteral("survey-photo.xyz"));
    QVERIFY(paper(40, 40).save(photo, "PNG"));
    const QByteArray before = fileHash(photo);
    CDrawingRenderer renderer;
    QVERIFY(!renderer.renderFile(photo, photo, {object(CDrawingObject::Rectangle, 0, 0, 20, 20, 0)}, {}));
    QCOMPARE(fileHash(photo), before);

    const QString noSuffix = m_folder.filePath(QStringLiteral("no-suffix"));
    QVERIFY(paper(40, 40).save(noSuffix, "PNG"));
    const QByteArray beforeNoSuffix = fileHash(noSuffix);
    QVERIFY(!renderer.renderFile(noSuffix, noSuffix, {object(CDrawingObject::Rectangle, 0, 0, 20, 20, 0)}, {}));
    QCOMPARE(fileHash(noSuffix), beforeNoSuffix);
}

void tst_CDrawingRenderer::missingOutputFolderFails()
{
    const QString input = m_folder.filePath(QStringLiteral("source.png"));
    QVERIFY(paper(10, 10).save(input));
    CDrawingRenderer renderer;
    QVERIFY(!renderer.renderFile(input, m_folder.filePath(QStringLiteral("no/such/folder/out.png")), {}, {}));
    QImage nullImage;
    QVERIFY(!renderer.render({object(CDrawingObject::Rectangle, 0, 0, 5, 5, 0)}, {}, nullImage));
}

void tst_CDrawingRenderer::extremeNumbersFromFilesAreSurvived()
{
    const QString picture = m_folder.filePath(QStringLiteral("square.png"));
    QImage square(16, 16, QImage::Format_RGB32);
    square.fill(Qt::green);
    QVERIFY(square.save(picture));
    const int big = std::numeric_limits<int>::max();
    const int small = std::numeric_limits<int>::min();
    QVector<DrawingObjectPtr> objects;
    for (int type = 1; type <= 8; ++type) {
        const auto kind = static_cast<CDrawingObject::Type>(type);
        objects << object(kind, big, big, big, big, big, Fill, Ink, small)
                << object(kind, small, small, -50, -50, small, Fill, Ink, big)
                << object(kind, 5, 5, 30, 30, -7, Fill, Ink, 45);
    }
    // A sane object behind them all is still painted: the wild ones ended nothing.
    objects << object(CDrawingObject::Rectangle, 40, 40, 20, 20, 0, Fill, Clear);
    for (const DrawingObjectPtr& each : objects) {
        if (auto text = qobject_cast<CDrawingBaseText*>(each.get())) {
            text->setFontSize(big);
        }
        if (auto text = qobject_cast<CDrawingText*>(each.get())) {
            text->setText(QStringLiteral("x"));
        }
        if (auto image = qobject_cast<CDrawingImage*>(each.get())) {
            image->setSource(picture);
        }
    }
    QImage image = paper(64, 64);
    CDrawingRenderer renderer;
    QVERIFY(renderer.render(objects, {{int(CDrawingDynamicText::ProjectName), QStringLiteral("y")}}, image));
    QCOMPARE(image.size(), QSize(64, 64));
    QCOMPARE(at(image, 50, 50), Fill);
    QCOMPARE(at(image, 58, 58), Fill);
}

int main(int argc, char** argv)
{
    // Painting text needs the GUI font machinery; the test runs on the offscreen platform.
    QGuiApplication app(argc, argv);
    tst_CDrawingRenderer test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_CDrawingRenderer.moc"
