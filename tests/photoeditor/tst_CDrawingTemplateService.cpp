#include "photoeditor/CDrawingDynamicText.h"
#include "photoeditor/CDrawingTemplateService.h"
#include "photoeditor/CDrawingTemplateWriter.h"
#include "photoeditor/TaskIds.h"
#include "photoeditor/DrawingObjectFactory.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QMetaEnum>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

#include <unistd.h>

namespace {

using Error = DrawingTemplateTypes::DrawingTemplateError;

QByteArray templateXml(const QByteArray& name, const QByteArray& objects = QByteArray(),
                       const QByteArray& version = "1")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<template version=\"" + version + "\"><name>" + name +
           "</name><objects>" + objects + "</objects></template>\n";
}

const QByteArray OneRectangle = "<object><type>rectangle</type><id>0</id><x>0</x><y>0</y><width>10</width>"
                                "<height>10</height><background-color>#ffff0000</background-color>"
                                "<stroke-color>#00000000</stroke-color></object>";

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QByteArray();
    }
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// The arguments of the result whose first argument is the task id; waits on the signal.
QList<QVariant> resultFor(QSignalSpy& spy, uint taskId)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        for (const QList<QVariant>& arguments : qAsConst(spy)) {
            if (arguments.value(0).toUInt() == taskId) {
                return arguments;
            }
        }
        if (!spy.wait(10000)) {
            break;
        }
    }
    return {};
}

Error errorOf(const QList<QVariant>& arguments)
{
    return arguments.isEmpty() ? Error(-1) : arguments.last().value<Error>();
}

QStringList builtInNames()
{
    return CDrawingTemplateService::builtInTemplates().keys();
}

} // namespace

class tst_CDrawingTemplateService : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void listMergesUserTemplatesOverBuiltIns();
    void taskIdsCountUpAndSkipZero();
    void loadGivesObjectsForTheGuiThread();
    void loadFailures();
    void saveUnderANewNameAddsAFileAndAName();
    void saveUnderAKnownNameOverwritesItsFile();
    void builtInsCannotBeSavedOverOrDeleted();
    void deleteRemovesFileThenName();
    void failedDeleteIsReportedAndKeepsTheTemplate();
    void deleteInAReadOnlyFolderFails();
    void applyFailures();
    void applyBatchStopsAtTheFirstFailure();
    void applyWorksOnCopiesOfTheCallersObjects();
    void applyBuiltInTemplateWithFieldData();
    void stoppingWithWorkQueuedIsSafe();
    void everyErrorButNoneHasAMessage();

private:
    void startService();
    QString writeUserFile(const QString& fileName, const QByteArray& content);
    QString photo(const QString& name, int width = 40, int height = 40);

    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_templatesPath;
    std::unique_ptr<CDrawingTemplateService> m_service;
};

void tst_CDrawingTemplateService::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    m_templatesPath = m_folder->path() + QStringLiteral("/DrawingTemplates/");
    QVERIFY(QDir().mkpath(m_templatesPath));
}

void tst_CDrawingTemplateService::cleanup()
{
    m_service.reset();
    m_folder.reset();
}

void tst_CDrawingTemplateService::startService()
{
    m_service = std::make_unique<CDrawingTemplateService>(m_templatesPath);
    QSignalSpy ready(m_service.get(), &CDrawingTemplateService::templateListReadyChanged);
    QVERIFY(!m_service->templateListReady());
    QVERIFY(ready.wait(10000));
    QVERIFY(m_service->templateListReady());
}

QString tst_CDrawingTemplateService::writeUserFile(const QString& fileName, const QByteArray& content)
{
    const QString path = m_templatesPath + fileName;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(content);
    }
    return path;
}

QString tst_CDrawingTemplateService::photo(const QString& name, int width, int height)
{
    const QString path = m_folder->filePath(name);
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.save(path);
    return path;
}

void tst_CDrawingTemplateService::listMergesUserTemplatesOverBuiltIns()
{
    writeUserFile(QStringLiteral("mine.xml"), templateXml("Mine"));
    writeUserFile(QStringLiteral("override.xml"), templateXml("Zephira (720p)", OneRectangle));
    writeUserFile(QStringLiteral("future.xml"), templateXml("Future", QByteArray(), "2"));
    writeUserFile(QStringLiteral("wrong-root.xml"), "<drawing><name>Wrong</name></drawing>");
    writeUserFile(QStringLiteral("garbage.xml"), QByteArray(300, '\x01'));
    writeUserFile(QStringLiteral("nameless.xml"), templateXml(""));
    writeUserFile(QStringLiteral("notes.txt"), templateXml("Not a template file"));
    QVERIFY(QDir().mkpath(m_templatesPath + QStringLiteral("folder.xml")));

    m_service = std::make_unique<CDrawingTemplateService>(m_templatesPath);
    QSignalSpy ready(m_service.get(), &CDrawingTemplateService::templateListReadyChanged);
    QSignalSpy changed(m_service.get(), &CDrawingTemplateService::templateListChanged);
    // The built-ins are known at once; the worker may already have listed the folder as well,
    // but the list is not reported ready before the event loop turns.
    QVERIFY(!m_service->templateListReady());
    const QStringList atOnce = m_service->templateList();
    for (const QString& name : builtInNames())
        QVERIFY2(atOnce.contains(name), qPrintable(name));
    QVERIFY(ready.wait(10000));
    QVERIFY(m_service->templateListReady());
    QCOMPARE(changed.count(), 1);

    QStringList expected = builtInNames() << QStringLiteral("Mine") << QStringLiteral("Future");
    std::sort(expected.begin(), expected.end());
    QCOMPARE(m_service->templateList(), expected);
    QVERIFY(m_service->templateExists(QStringLiteral("Mine")));
    QVERIFY(!m_service->templateExists(QStringLiteral("Wrong")));

    // The user's file replaces the built-in of the same name.
    QSignalSpy loaded(m_service.get(), &CDrawingTemplateService::templateLoaded);
    const QList<QVariant> result = resultFor(loaded, m_service->loadTemplate(QStringLiteral("Zephira (720p)")));
    QCOMPARE(errorOf(result), DrawingTemplateTypes::DrawingTemplateErrorNone);
    QCOMPARE(result.at(2).value<DrawingTemplatePtr>()->objects().size(), 1);
}

void tst_CDrawingTemplateService::taskIdsCountUpAndSkipZero()
{
    QCOMPARE(nextTaskId(0), 1u);
    QCOMPARE(nextTaskId(41), 42u);
    QCOMPARE(nextTaskId(4294967295u), 1u);

    startService();
    QSignalSpy loaded(m_service.get(), &CDrawingTemplateService::templateLoaded);
    const uint first = m_service->loadTemplate(QStringLiteral("a"));
    const uint second = m_service->loadTemplate(QStringLiteral("b"));
    QCOMPARE(first, 1u);
    QCOMPARE(second, first + 1);
    QVERIFY(m_service->hasPendingTasks());
    QVERIFY(!resultFor(loaded, second).isEmpty());
    // Results arrive in the order of the requests.
    QCOMPARE(loaded.count(), 2);
    QCOMPARE(loaded.at(0).at(0).toUInt(), first);
    QVERIFY(!m_service->hasPendingTasks());
}

void tst_CDrawingTemplateService::loadGivesObjectsForTheGuiThread()
{
    writeUserFile(QStringLiteral("mine.xml"), templateXml("Mine", OneRectangle));
    startService();
    QSignalSpy loaded(m_service.get(), &CDrawingTemplateService::templateLoaded);
    const uint taskId = m_service->loadTemplate(QStringLiteral("Mine"));
    const QList<QVariant> result = resultFor(loaded, taskId);
    QCOMPARE(errorOf(result), DrawingTemplateTypes::DrawingTemplateErrorNone);
    QCOMPARE(result.at(1).toString(), QStringLiteral("Mine"));
    const DrawingTemplatePtr drawingTemplate = result.at(2).value<DrawingTemplatePtr>();
    QVERIFY(drawingTemplate);
    QCOMPARE(drawingTemplate->objects().size(), 1);
    QCOMPARE(drawingTemplate->objects().at(0)->thread(), QThread::currentThread());
    QCOMPARE(drawingTemplate->objects().at(0)->backgroundColor(), QColor(Qt::red));
}

void tst_CDrawingTemplateService::loadFailures()
{
    writeUserFile(QStringLiteral("future.xml"), templateXml("Future", OneRectangle, "2"));
    startService();
    QVERIFY(m_service->templateExists(QStringLiteral("Future")));
    QSignalSpy loaded(m_service.get(), &CDrawingTemplateService::templateLoaded);
    for (const QString& name : {QStringLiteral("Future"), QStringLiteral("Nobody knows me")}) {
        const QList<QVariant> result = resultFor(loaded, m_service->loadTemplate(name));
        QCOMPARE(errorOf(result), DrawingTemplateTypes::DrawingTemplateErrorLoadFile);
        QCOMPARE(result.at(1).toString(), name);
        QVERIFY(!result.at(2).value<DrawingTemplatePtr>());
    }
}

void tst_CDrawingTemplateService::saveUnderANewNameAddsAFileAndAName()
{
    startService();
    QStringList journal;
    connect(m_service.get(), &CDrawingTemplateService::templateSaved, this,
            [&journal] { journal << QStringLiteral("saved"); });
    connect(m_service.get(), &CDrawingTemplateService::templateListChanged, this,
            [&journal] { journal << QStringLiteral("list"); });
    QSignalSpy saved(m_service.get(), &CDrawingTemplateService::templateSaved);
    QSignalSpy changed(m_service.get(), &CDrawingTemplateService::templateListChanged);

    const DrawingTemplatePtr drawingTemplate = std::make_shared<CDrawingTemplate>(
        QStringLiteral("Fresh"),
        QVector<DrawingObjectPtr>{
            createDrawingObject(CDrawingObject::Cross, 4, 1, 2, 30, 40, 0, Qt::red, Qt::blue, 2)});
    const uint taskId = m_service->saveTemplate(drawingTemplate);
    const QList<QVariant> result = resultFor(saved, taskId);
    QCOMPARE(errorOf(result), DrawingTemplateTypes::DrawingTemplateErrorNone);
    QCOMPARE(result.at(1).value<DrawingTemplatePtr>(), drawingTemplate);
    if (changed.isEmpty()) {
        QVERIFY(changed.wait(10000));
    }
    QCOMPARE(journal, (QStringList{"saved", "list"}));
    QVERIFY(m_service->templateList().contains(QStringLiteral("Fresh")));

    const QStringList files = QDir(m_templatesPath).entryList({QStringLiteral("*.xml")}, QDir::Files);
    QCOMPARE(files.size(), 1);
    QVERIFY2(QRegularExpression(QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}\\.xml$"))
                 .match(files.first())
                 .hasMatch(),
             qPrintable(files.first()));

    QSignalSpy loaded(m_service.get(), &CDrawingTemplateService::templateLoaded);
    const QList<QVariant> load = resultFor(loaded, m_service->loadTemplate(QStringLiteral("Fresh")));
    const DrawingTemplatePtr read = load.at(2).value<DrawingTemplatePtr>();
    QVERIFY(read);
    QCOMPARE(read->objects().size(), 1);
    QCOMPARE(read->objects().at(0)->type(), CDrawingObject::Cross);
    QCOMPARE(read->objects().at(0)->id(), 4u);
}

void tst_CDrawingTemplateService::saveUnderAKnownNameOverwritesItsFile()
{
    const QString path = writeUserFile(QStringLiteral("known.xml"), templateXml("Known", OneRectangle));
    startService();
    QSignalSpy saved(m_service.get(), &CDrawingTemplateService::templateSaved);
    QSignalSpy changed(m_service.get(), &CDrawingTemplateService::templateListChanged);
    const DrawingTemplatePtr replacement =
        std::make_shared<CDrawingTemplate>(QStringLiteral("Known"), QVector<DrawingObjectPtr>());
    QCOMPARE(errorOf(resultFor(saved, m_service->saveTemplate(replacement))),
             DrawingTemplateTypes::DrawingTemplateErrorNone);

    // A later request's result proves that no list change was on its way.
    QSignalSpy loaded(m_service.get(), &CDrawingTemplateService::templateLoaded);
    const QList<QVariant> load = resultFor(loaded, m_service->loadTemplate(QStringLiteral("Known")));
    QCOMPARE(changed.count(), 0);
    QVERIFY(load.at(2).value<DrawingTemplatePtr>()->objects().isEmpty());
    QCOMPARE(QDir(m_templatesPath).entryList({QStringLiteral("*.xml")}, QDir::Files), QStringList{"known.xml"});
    QVERIFY(QFile::exists(path));
}

void tst_CDrawingTemplateService::builtInsCannotBeSavedOverOrDeleted()
{
    startService();
    QSignalSpy saved(m_service.get(), &CDrawingTemplateService::templateSaved);
    QSignalSpy deleted(m_service.get(), &CDrawingTemplateService::templateDeleted);
    QSignalSpy changed(m_service.get(), &CDrawingTemplateService::templateListChanged);
    const QStringList before = m_service->templateList();

    const DrawingTemplatePtr named =
        std::make_shared<CDrawingTemplate>(QStringLiteral("Gully Rover"), QVector<DrawingObjectPtr>());
    QCOMPARE(errorOf(resultFor(saved, m_service->saveTemplate(named))),
             DrawingTemplateTypes::DrawingTemplateErrorSaveFile);
    QCOMPARE(errorOf(resultFor(saved, m_service->saveTemplate(DrawingTemplatePtr()))),
             DrawingTemplateTypes::DrawingTemplateErrorSaveFile);
    const QList<QVariant> deletion = resultFor(deleted, m_service->deleteTemplate(QStringLiteral("Gully Rover")));
    QCOMPARE(errorOf(deletion), DrawingTemplateTypes::DrawingTemplateErrorDeleteFile);
    QCOMPARE(deletion.at(1).toString(), QStringLiteral("Gully Rover"));
    QCOMPARE(errorOf(resultFor(deleted, m_service->deleteTemplate(QStringLiteral("Unknown")))),
             DrawingTemplateTypes::DrawingTemplateErrorDeleteFile);

    QCOMPARE(changed.count(), 0);
    QCOMPARE(m_service->templateList(), before);
    QVERIFY(QDir(m_templatesPath).entryList(QDir::Files).isEmpty());
}

void tst_CDrawingTemplateService::deleteRemovesFileThenName()
{
    const QString path = writeUserFile(QStringLiteral("override.xml"), templateXml("Zephira (1080p)"));
    writeUserFile(QStringLiteral("mine.xml"), templateXml("Mine"));
    startService();
    QStringList journal;
    connect(m_service.get(), &CDrawingTemplateService::templateDeleted, this,
            [&journal](uint, QString name, Error error) {
                journal << QStringLiteral("deleted %1 %2").arg(name).arg(error);
            });
    connect(m_service.get(), &CDrawingTemplateService::templateListChanged, this,
            [&journal] { journal << QStringLiteral("list"); });
    QSignalSpy changed(m_service.get(), &CDrawingTemplateService::templateListChanged);

    m_service->deleteTemplate(QStringLiteral("Zephira (1080p)"));
    QVERIFY(changed.wait(10000));
    QCOMPARE(journal, (QStringList{"deleted Zephira (1080p) 0", "list"}));
    QVERIFY(!QFile::exists(path));
    // A built-in that a user file had replaced does not come back before the next start.
    QVERIFY(!m_service->templateExists(QStringLiteral("Zephira (1080p)")));
    QVERIFY(m_service->templateExists(QStringLiteral("Mine")));
}

void tst_CDrawingTemplateService::failedDeleteIsReportedAndKeepsTheTemplate()
{
    const QString blocked = writeUserFile(QStringLiteral("blocked.xml"), templateXml("Blocked"));
    startService();
    QSignalSpy deleted(m_service.get(), &CDrawingTemplateService::templateDeleted);
    QSignalSpy changed(m_service.get(), &CDrawingTemplateService::templateListChanged);

    // Its file has become a folder with content: no one, not even root, removes it as a file.
    QVERIFY(QFile::remove(blocked));
    QVERIFY(QDir().mkpath(blocked + QStringLiteral("/inside")));
    QCOMPARE(errorOf(resultFor(deleted, m_service->deleteTemplate(QStringLiteral("Blocked")))),
             DrawingTemplateTypes::DrawingTemplateErrorDeleteFile);
    QVERIFY(m_service->templateExists(QStringLiteral("Blocked")));
    QCOMPARE(changed.count(), 0);
}

void tst_CDrawingTemplateService::deleteInAReadOnlyFolderFails()
{
    const QString locked = writeUserFile(QStringLiteral("locked.xml"), templateXml("Locked"));
    startService();
    QSignalSpy deleted(m_service.get(), &CDrawingTemplateService::templateDeleted);
    QSignalSpy changed(m_service.get(), &CDrawingTemplateService::templateListChanged);
    // Root writes through a read-only folder, so there the case cannot be made.
    if (::geteuid() == 0)
        QSKIP("running as root: a read-only folder does not stop root from removing its files");
    QVERIFY(QFile::setPermissions(m_templatesPath, QFile::ReadOwner | QFile::ExeOwner));
    const QList<QVariant> result = resultFor(deleted, m_service->deleteTemplate(QStringLiteral("Locked")));
    QVERIFY(QFile::setPermissions(m_templatesPath, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QCOMPARE(errorOf(result), DrawingTemplateTypes::DrawingTemplateErrorDeleteFile);
    QVERIFY(QFile::exists(locked));
    QVERIFY(m_service->templateExists(QStringLiteral("Locked")));
    QCOMPARE(changed.count(), 0);
}

void tst_CDrawingTemplateService::applyFailures()
{
    startService();
    QSignalSpy applied(m_service.get(), &CDrawingTemplateService::templateApplied);
    const QString first = photo(QStringLiteral("one.png"));
    const QString second = photo(QStringLiteral("two.png"));
    const QByteArray firstHash = fileHash(first);
    const QByteArray secondHash = fileHash(second);

    const QList<QVariant> unknown = resultFor(
        applied, m_service->applyTemplate(QStringLiteral("No such template"), {first}, {first}, {DynamicFieldData()}));
    QCOMPARE(errorOf(unknown), DrawingTemplateTypes::DrawingTemplateErrorApplication);
    QVERIFY(!unknown.at(1).value<DrawingTemplatePtr>());
    QCOMPARE(unknown.at(2).toStringList(), QStringList{first});

    const QList<QVariant> mismatch = resultFor(
        applied, m_service->applyTemplate(QStringLiteral("Gully Rover"), {first, second}, {first, second},
                                          {DynamicFieldData()}));
    QCOMPARE(errorOf(mismatch), DrawingTemplateTypes::DrawingTemplateErrorApplication);
    QVERIFY(mismatch.at(1).value<DrawingTemplatePtr>());

    QCOMPARE(errorOf(resultFor(applied, m_service->applyTemplate(DrawingTemplatePtr(), {first}, {first},
                                                                 {DynamicFieldData()}))),
             DrawingTemplateTypes::DrawingTemplateErrorApplication);
    QCOMPARE(errorOf(resultFor(applied, m_service->applyTemplate(QStringLiteral("Gully Rover"), {}, {}, {}))),
             DrawingTemplateTypes::DrawingTemplateErrorNone);

    QCOMPARE(fileHash(first), firstHash);
    QCOMPARE(fileHash(second), secondHash);
}

void tst_CDrawingTemplateService::applyBatchStopsAtTheFirstFailure()
{
    writeUserFile(QStringLiteral("red.xml"), templateXml("Red corner", OneRectangle));
    startService();
    const QString first = photo(QStringLiteral("first.jpg"));
    const QString second = m_folder->filePath(QStringLiteral("second.jpg"));
    QFile broken(second);
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a photo");
    broken.close();
    const QString third = photo(QStringLiteral("third.png"));
    const QByteArray firstHash = fileHash(first);
    const QByteArray secondHash = fileHash(second);
    const QByteArray thirdHash = fileHash(third);

    QSignalSpy applied(m_service.get(), &CDrawingTemplateService::templateApplied);
    const QStringList files{first, second, third};
    const QList<QVariant> result = resultFor(
        applied, m_service->applyTemplate(QStringLiteral("Red corner"), files, files,
                                          {DynamicFieldData(), DynamicFieldData(), DynamicFieldData()}));
    QCOMPARE(errorOf(result), DrawingTemplateTypes::DrawingTemplateErrorApplication);
    QCOMPARE(result.at(2).toStringList(), files);
    QCOMPARE(result.at(3).toStringList(), files);

    QVERIFY(fileHash(first) != firstHash);
    const QColor corner = QImage(first).pixelColor(4, 4);
    QVERIFY2(corner.red() > 200 && corner.green() < 60 && corner.blue() < 60, qPrintable(corner.name()));
    QCOMPARE(fileHash(second), secondHash);
    QCOMPARE(fileHash(third), thirdHash);
}

void tst_CDrawingTemplateService::applyWorksOnCopiesOfTheCallersObjects()
{
    startService();
    const QString file = photo(QStringLiteral("edited.png"));
    const DrawingObjectPtr rectangle =
        createDrawingObject(CDrawingObject::Rectangle, 0, 0, 0, 10, 10, 0, Qt::red, QColor(0, 0, 0, 0), 0);
    const DrawingTemplatePtr drawingTemplate =
        std::make_shared<CDrawingTemplate>(QString(), QVector<DrawingObjectPtr>{rectangle});

    QSignalSpy applied(m_service.get(), &CDrawingTemplateService::templateApplied);
    const uint taskId = m_service->applyTemplate(drawingTemplate, {file}, {file}, {DynamicFieldData()});
    // The editor goes on editing while the worker renders.
    rectangle->setX(25);
    rectangle->setY(25);
    const QList<QVariant> result = resultFor(applied, taskId);
    QCOMPARE(errorOf(result), DrawingTemplateTypes::DrawingTemplateErrorNone);
    QCOMPARE(result.at(1).value<DrawingTemplatePtr>(), drawingTemplate);
    QCOMPARE(drawingTemplate->objects().at(0), rectangle);
    QCOMPARE(rectangle->thread(), QThread::currentThread());

    const QImage written(file);
    QCOMPARE(written.pixelColor(5, 5), QColor(Qt::red));
    QCOMPARE(written.pixelColor(30, 30), QColor(Qt::white));
    QVERIFY(!m_service->hasPendingTasks());
}

void tst_CDrawingTemplateService::applyBuiltInTemplateWithFieldData()
{
    QFontDatabase::addApplicationFont(
        QStringLiteral("/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Regular.ttf"));
    startService();
    const QString file = photo(QStringLiteral("frame.jpg"), 1280, 720);
    QSignalSpy applied(m_service.get(), &CDrawingTemplateService::templateApplied);
    const DynamicFieldData fields{{CDrawingDynamicText::ProjectName, QStringLiteral("Main street")},
                                  {CDrawingDynamicText::SurveyName, QStringLiteral("MH1 - MH2")},
                                  {CDrawingDynamicText::InspectionDate, QStringLiteral("07.12.2026")}};
    const QList<QVariant> result =
        resultFor(applied, m_service->applyTemplate(QStringLiteral("Zephira (720p)"), {file}, {file}, {fields}));
    QCOMPARE(errorOf(result), DrawingTemplateTypes::DrawingTemplateErrorNone);
    QCOMPARE(result.at(1).value<DrawingTemplatePtr>()->name(), QStringLiteral("Zephira (720p)"));

    const QImage written(file);
    QCOMPARE(written.size(), QSize(1280, 720));
    // The logo (875, 6, 399, 93; its ring sits at the left) and the text boxes' dark blue background are burnt in.
    const QColor logo = written.pixelColor(921, 52);
    QVERIFY2(logo != QColor(Qt::white), qPrintable(logo.name()));
    const QColor box = written.pixelColor(8, 712);
    QVERIFY2(box.blue() > 90 && box.red() < 60 && box.green() < 60, qPrintable(box.name()));
    QCOMPARE(written.pixelColor(640, 360).lightness() > 240, true);
}

void tst_CDrawingTemplateService::stoppingWithWorkQueuedIsSafe()
{
    startService();
    const QString file = photo(QStringLiteral("queued.png"));
    const DrawingTemplatePtr drawingTemplate = std::make_shared<CDrawingTemplate>(
        QStringLiteral("Queued"),
        QVector<DrawingObjectPtr>{createDrawingObject(CDrawingObject::Line, 0, 0, 0, 10, 10, 0, Qt::red, Qt::red, 1)});
    for (int i = 0; i < 5; ++i) {
        m_service->applyTemplate(drawingTemplate, {file}, {file}, {DynamicFieldData()});
        m_service->saveTemplate(drawingTemplate);
    }
    m_service.reset();
    QVERIFY(!QImage(file).isNull());
}

void tst_CDrawingTemplateService::everyErrorButNoneHasAMessage()
{
    // The translation keys are the names of the error values.
    const QMetaEnum errors = QMetaEnum::fromType<DrawingTemplateTypes::DrawingTemplateError>();
    QCOMPARE(errors.keyCount(), 6);
    for (int i = 0; i < errors.keyCount(); ++i) {
        const auto error = static_cast<Error>(errors.value(i));
        if (error == DrawingTemplateTypes::DrawingTemplateErrorNone) {
            QVERIFY(DrawingTemplateTypes::errorMessageKey(error).isEmpty());
            QVERIFY(DrawingTemplateTypes::errorMessageDefaultText(error).isEmpty());
        } else {
            QCOMPARE(DrawingTemplateTypes::errorMessageKey(error), QString::fromLatin1(errors.key(i)));
            QVERIFY(DrawingTemplateTypes::errorMessageDefaultText(error).startsWith(QStringLiteral("An unknown")) ||
                    DrawingTemplateTypes::errorMessageDefaultText(error).startsWith(QStringLiteral("Failed to ")));
        }
    }
    QCOMPARE(DrawingTemplateTypes::errorMessageDefaultText(DrawingTemplateTypes::DrawingTemplateErrorApplication),
             QStringLiteral("Failed to apply the specified drawing template to the photo."));
}

int main(int argc, char** argv)
{
    // Rendering text needs the GUI font machinery; the test runs on the offscreen platform.
    QGuiApplication app(argc, argv);
    tst_CDrawingTemplateService test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_CDrawingTemplateService.moc"
