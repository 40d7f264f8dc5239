// Renders 1, 10, 100 and 1000 mixed drawing objects onto a 12-megapixel JPEG and reports
// loading, painting and saving separately, with the painting time per object.
//   bench_DrawingRenderer [repetitions]

#include "photoeditor/CDrawingDynamicText.h"
#include "photoeditor/CDrawingImage.h"
#include "photoeditor/CDrawingRenderer.h"
#include "photoeditor/CDrawingText.h"
#include "photoeditor/DrawingObjectFactory.h"

#include <QElapsedTimer>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cmath>

namespace {

const QSize PhotoSize(4000, 3000);

QString makePhoto(const QString& folder)
{
    QImage image(PhotoSize, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, PhotoSize.width(), PhotoSize.height());
    gradient.setColorAt(0, QColor(40, 40, 40));
    gradient.setColorAt(1, QColor(160, 140, 110));
    painter.fillRect(image.rect(), gradient);
    painter.end();
    const QString path = folder + QStringLiteral("/photo.jpg");
    image.save(path, "JPEG", 90);
    return path;
}

QString makeLogo(const QString& folder)
{
    QImage logo(400, 100, QImage::Format_ARGB32);
    logo.fill(QColor(0, 70, 140));
    const QString path = folder + QStringLiteral("/logo.png");
    logo.save(path);
    return path;
}

// A repeatable mix of every kind of object spread over the photo.
QVector<DrawingObjectPtr> mixedObjects(int count, const QString& logoPath)
{
    QVector<DrawingObjectPtr> objects;
    for (int i = 0; i < count; ++i) {
        const auto type = static_cast<CDrawingObject::Type>(1 + i % 8);
        const int x = (i * 397) % (PhotoSize.width() - 400);
        const int y = (i * 211) % (PhotoSize.height() - 200);
        const DrawingObjectPtr object = createDrawingObject(type, uint(i), x, y, 360, 120, (i * 15) % 360,
                                                            QColor(0, 0, 128, 200), QColor(255, 200, 0), 4);
        if (auto image = qobject_cast<CDrawingImage*>(object.get())) {
            image->setSource(logoPath);
        } else if (auto text = qobject_cast<CDrawingText*>(object.get())) {
            text->setText(QStringLiteral("Crack at %1 m, longitudinal").arg(i));
            text->setTextColor(Qt::white);
            text->setFontSize(32);
        } else if (auto dynamicText = qobject_cast<CDrawingDynamicText*>(object.get())) {
            dynamicText->setField(CDrawingDynamicText::SurveyName);
            dynamicText->setTextColor(Qt::white);
            dynamicText->setFontSize(32);
        }
        objects << object;
    }
    return objects;
}

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0.0 : values.at(values.size() / 2);
}

// The 99th percentile (the nearest rank); the slowest run for fewer than 100.
double p99(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0.0 : values.at(qMin(values.size() - 1, int(std::ceil(values.size() * 0.99)) - 1));
}

QString figures(const QVector<double>& values)
{
    return QString::number(median(values), 'f', 1) + QLatin1Char('/') + QString::number(p99(values), 'f', 1);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const int repetitions = qMax(1, QCoreApplication::arguments().value(1, QStringLiteral("3")).toInt());
    QFontDatabase::addApplicationFont(
        QStringLiteral("/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Regular.ttf"));

    QTemporaryDir folder;
    if (!folder.isValid()) {
        return 1;
    }
    const QString photo = makePhoto(folder.path());
    const QString logo = makeLogo(folder.path());
    const QString output = folder.path() + QStringLiteral("/out.jpg");
    const DynamicFieldData fields{{CDrawingDynamicText::SurveyName, QStringLiteral("MH 12 - MH 13")}};

    QTextStream out(stdout);
    out << "photo " << PhotoSize.width() << "x" << PhotoSize.height() << " JPEG, median/p99 of " << repetitions
        << " runs\n";
    out << "objects\tload ms\tpaint ms\tsave ms\tpaint us/object\trenderFile ms\n";
    for (int count : {1, 10, 100, 1000}) {
        const QVector<DrawingObjectPtr> objects = mixedObjects(count, logo);
        QVector<double> load, paint, save, whole;
        for (int run = 0; run < repetitions; ++run) {
            QElapsedTimer timer;
            timer.start();
            QImageReader reader(photo);
            reader.setDecideFormatFromContent(true);
            QImage image = reader.read();
            load << timer.nsecsElapsed() / 1e6;

            timer.restart();
            CDrawingRenderer renderer;
            renderer.render(objects, fields, image);
            paint << timer.nsecsElapsed() / 1e6;

            timer.restart();
            QImageWriter writer(output, "jpeg");
            writer.write(image);
            save << timer.nsecsElapsed() / 1e6;

            // The whole path as the template worker takes it.
            timer.restart();
            renderer.renderFile(photo, output, objects, fields);
            whole << timer.nsecsElapsed() / 1e6;
        }
        out << count << '\t' << figures(load) << '\t' << figures(paint) << '\t' << figures(save) << '\t'
            << QString::number(median(paint) * 1000.0 / count, 'f', 1) << '\t' << figures(whole) << '\n';
        out.flush();
    }
    return 0;
}
