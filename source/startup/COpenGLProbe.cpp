#include "COpenGLProbe.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>
#include <QSGRendererInterface>

#include "CLogger.h"

using Tovrin::Logging::CLogger;

namespace {

const QString kCategory = QStringLiteral("StartUp");

struct ProbeFailure
{
    QString text;
};

void check(const QString& failure)
{
    if (!failure.isEmpty())
        throw ProbeFailure{failure};
}

} // namespace

struct CQtOpenGLProbeDriver::Resources
{
    QOffscreenSurface* surface = nullptr;
    QOpenGLContext* context = nullptr;
    bool current = false;
};

CQtOpenGLProbeDriver::CQtOpenGLProbeDriver()
    : m_resources(new Resources)
{
}

CQtOpenGLProbeDriver::~CQtOpenGLProbeDriver()
{
    cleanUp();
    delete m_resources;
}

bool CQtOpenGLProbeDriver::loadLibrary()
{
    // A platform without any OpenGL (the offscreen platform, a bare X server) is the
    // "no driver library" case.
    QOpenGLContext probe;
    return probe.create();
}

QString CQtOpenGLProbeDriver::resolveEntryPoints()
{
    return QString();
}

QString CQtOpenGLProbeDriver::createWindow()
{
    m_resources->surface = new QOffscreenSurface;
    m_resources->surface->create();
    return m_resources->surface->isValid() ? QString() : QStringLiteral("Cannot create window");
}

QString CQtOpenGLProbeDriver::createContext()
{
    m_resources->context = new QOpenGLContext;
    return m_resources->context->create() ? QString() : QStringLiteral("Cannot create context");
}

QString CQtOpenGLProbeDriver::makeCurrent()
{
    m_resources->current = m_resources->context->makeCurrent(m_resources->surface);
    return m_resources->current ? QString()
                                : QStringLiteral("Cannot set current context as OpenGL rendering context");
}

bool CQtOpenGLProbeDriver::hasVersionQuery()
{
    return m_resources->context->functions() != nullptr;
}

QString CQtOpenGLProbeDriver::versionString()
{
    const GLubyte* version = m_resources->context->functions()->glGetString(GL_VERSION);
    return version ? QString::fromLatin1(reinterpret_cast<const char*>(version)) : QString();
}

bool CQtOpenGLProbeDriver::hasShaderSupport()
{
    const QSurfaceFormat format = m_resources->context->format();
    if (m_resources->context->isOpenGLES())
        return format.majorVersion() >= 2;
    return format.version() >= qMakePair(2, 0) && m_resources->context->getProcAddress("glCreateShader") != nullptr;
}

void CQtOpenGLProbeDriver::cleanUp()
{
    if (m_resources->current && m_resources->context)
        m_resources->context->doneCurrent();
    m_resources->current = false;
    delete m_resources->context;
    m_resources->context = nullptr;
    if (m_resources->surface)
        m_resources->surface->destroy();
    delete m_resources->surface;
    m_resources->surface = nullptr;
}

bool probeOpenGLSupport(IOpenGLProbeDriver& driver)
{
    if (!driver.loadLibrary())
        return true;
    CLogger::logMessage(CLogger::LogLevelInfo, kCategory, QStringLiteral("OpenGL Library loaded successfuly"), {});

    bool software = false;
    try {
        check(driver.resolveEntryPoints());
        check(driver.createWindow());
        check(driver.createContext());
        check(driver.makeCurrent());
        if (!driver.hasVersionQuery()) {
            CLogger::logMessage(CLogger::LogLevelWarning, kCategory, QStringLiteral("OpenGL 1.x entry points not found"),
                                {});
        } else {
            const QString version = driver.versionString();
            if (!version.isNull())
                CLogger::logMessage(CLogger::LogLevelInfo, kCategory,
                                    QStringLiteral("Basic wglCreateContext gives version: "), {version});
        }
        if (driver.hasShaderSupport())
            CLogger::logMessage(CLogger::LogLevelInfo, kCategory, QStringLiteral("OpenGL 2.0 entry points available"),
                                {});
        else
            software = true;
    } catch (const ProbeFailure& failure) {
        // The test itself failed: hardware rendering stays selected.
        CLogger::logMessage(CLogger::LogLevelError, kCategory, QStringLiteral("setupSoftwareRendering"), {failure.text});
    }
    driver.cleanUp();
    return software;
}

void probeOpenGLSupport()
{
    CQtOpenGLProbeDriver driver;
    if (probeOpenGLSupport(driver))
        QQuickWindow::setSceneGraphBackend(QSGRendererInterface::Software);
}
