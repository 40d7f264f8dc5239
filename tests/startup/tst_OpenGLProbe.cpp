#include <QtTest>

#include <QFile>
#include <QOpenGLContext>
#include <QQuickWindow>
#include <QTemporaryDir>

#include "CLogger.h"
#include "startup/COpenGLProbe.h"

using Tovrin::Logging::CLogger;

namespace {

// A driver whose steps succeed or fail as a test row says.
class FakeDriver : public IOpenGLProbeDriver
{
public:
    bool library = true;
    QString failingStep;
    bool versionQuery = true;
    QString version = QStringLiteral("2.1 Fake");
    bool shaders = true;
    int cleanUps = 0;

    bool loadLibrary() override { return library; }
    QString resolveEntryPoints() override { return fail(QStringLiteral("resolve"), QStringLiteral("Cannot get wglCreateContext function address pointer")); }
    QString createWindow() override { return fail(QStringLiteral("window"), QStringLiteral("Cannot create window")); }
    QString createContext() override { return fail(QStringLiteral("context"), QStringLiteral("Cannot create context")); }
    QString makeCurrent() override { return fail(QStringLiteral("current"), QStringLiteral("Cannot set current context as OpenGL rendering context")); }
    bool hasVersionQuery() override { return versionQuery; }
    QString versionString() override { return version; }
    bool hasShaderSupport() override { return shaders; }
    void cleanUp() override { ++cleanUps; }

private:
    QString fail(const QString& step, const QString& text) const { return step == failingStep ? text : QString(); }
};

QString readLog(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray bytes = file.readAll().mid(2);
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
}

} // namespace

class tst_OpenGLProbe : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_log = m_dir.filePath(QStringLiteral("%1.log").arg(QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('_'))));
        CLogger::setPrintToConsole(false);
        CLogger::setOutputFileName(m_log);
    }

    void decisions_data()
    {
        QTest::addColumn<bool>("library");
        QTest::addColumn<QString>("failingStep");
        QTest::addColumn<bool>("versionQuery");
        QTest::addColumn<bool>("shaders");
        QTest::addColumn<bool>("software");
        QTest::addColumn<QStringList>("expectedLines");
        QTest::addColumn<QStringList>("absentLines");
        QTest::addColumn<int>("cleanUps");

        QTest::newRow("no driver at all") << false << QString() << true << true << true << QStringList()
                                          << QStringList{QStringLiteral("[StartUp]")} << 0;
        QTest::newRow("OpenGL 2 driver") << true << QString() << true << true << false
                                         << QStringList{QStringLiteral("[StartUp] OpenGL Library loaded successfuly"),
                                                        QStringLiteral("[StartUp] Basic wglCreateContext gives version:  2.1 Fake"),
                                                        QStringLiteral("[StartUp] OpenGL 2.0 entry points available")}
                                         << QStringList() << 1;
        QTest::newRow("context without shaders") << true << QString() << true << false << true
                                                 << QStringList{QStringLiteral("gives version:  2.1 Fake")}
                                                 << QStringList{QStringLiteral("entry points available")} << 1;
        QTest::newRow("no version query") << true << QString() << false << true << false
                                          << QStringList{QStringLiteral("[StartUp] OpenGL 1.x entry points not found")}
                                          << QStringList{QStringLiteral("gives version")} << 1;
        QTest::newRow("context creation fails") << true << QStringLiteral("context") << true << true << false
                                                << QStringList{QStringLiteral("[StartUp] setupSoftwareRendering Cannot create context")}
                                                << QStringList{QStringLiteral("gives version")} << 1;
        QTest::newRow("window creation fails") << true << QStringLiteral("window") << true << false << false
                                               << QStringList{QStringLiteral("setupSoftwareRendering Cannot create window")}
                                               << QStringList() << 1;
    }

    void decisions()
    {
        QFETCH(bool, library);
        QFETCH(QString, failingStep);
        QFETCH(bool, versionQuery);
        QFETCH(bool, shaders);
        QFETCH(bool, software);
        QFETCH(QStringList, expectedLines);
        QFETCH(QStringList, absentLines);
        QFETCH(int, cleanUps);

        FakeDriver driver;
        driver.library = library;
        driver.failingStep = failingStep;
        driver.versionQuery = versionQuery;
        driver.shaders = shaders;
        QCOMPARE(probeOpenGLSupport(driver), software);
        QCOMPARE(driver.cleanUps, cleanUps);
        const QString log = readLog(m_log);
        for (const QString& line : expectedLines)
            QVERIFY2(log.contains(line), qPrintable(log));
        for (const QString& line : absentLines)
            QVERIFY2(!log.contains(line), qPrintable(log));
    }

    void platformProbeDecidesAndCleansUp()
    {
        // Whatever this machine offers (the offscreen platform has no OpenGL, Xvfb has Mesa),
        // the real probe finishes with a decision that matches what the platform can do,
        // leaves nothing behind, and the start-up call switches the renderer by it.
        QOpenGLContext context;
        const bool hasOpenGL = context.create();

        CQtOpenGLProbeDriver driver;
        const bool software = probeOpenGLSupport(driver);
        if (!hasOpenGL)
            QVERIFY(software);
        const QString log = readLog(m_log);
        QCOMPARE(log.contains(QStringLiteral("OpenGL Library loaded successfuly")), hasOpenGL);
        // A failed step keeps hardware rendering; a finished test logs its outcome.
        if (hasOpenGL && !software && !log.contains(QStringLiteral("setupSoftwareRendering")))
            QVERIFY2(log.contains(QStringLiteral("OpenGL 2.0 entry points available")), qPrintable(log));

        // The clean-up released the surface and context: the same driver probes again alike.
        QCOMPARE(probeOpenGLSupport(driver), software);

        QQuickWindow::setSceneGraphBackend(QString());
        probeOpenGLSupport();
        QCOMPARE(QQuickWindow::sceneGraphBackend() == QLatin1String("software"), software);
        QQuickWindow::setSceneGraphBackend(QString());
    }

private:
    QTemporaryDir m_dir;
    QString m_log;
};

QTEST_MAIN(tst_OpenGLProbe)
#include "tst_OpenGLProbe.moc"
