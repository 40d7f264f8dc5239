#pragma once

#include <QString>

// What the start-up rendering probe asks of the platform's OpenGL driver, step by step.
// Each step that can fail returns an empty text on success and the failure text otherwise.
class IOpenGLProbeDriver
{
public:
    virtual ~IOpenGLProbeDriver() = default;

    // False when no OpenGL driver can be used at all.
    virtual bool loadLibrary() = 0;
    virtual QString resolveEntryPoints() = 0;
    virtual QString createWindow() = 0;
    virtual QString createContext() = 0;
    virtual QString makeCurrent() = 0;
    // Null when the driver offers no version query.
    virtual bool hasVersionQuery() = 0;
    virtual QString versionString() = 0;
    virtual bool hasShaderSupport() = 0;
    // Releases whatever the steps above created; called on every path after loadLibrary().
    virtual void cleanUp() = 0;
};

// The driver of this platform: an OpenGL context of Qt's on an offscreen surface.
class CQtOpenGLProbeDriver : public IOpenGLProbeDriver
{
public:
    CQtOpenGLProbeDriver();
    ~CQtOpenGLProbeDriver() override;

    bool loadLibrary() override;
    QString resolveEntryPoints() override;
    QString createWindow() override;
    QString createContext() override;
    QString makeCurrent() override;
    bool hasVersionQuery() override;
    QString versionString() override;
    bool hasShaderSupport() override;
    void cleanUp() override;

private:
    struct Resources;
    Resources* m_resources;
};

// Runs the probe with the given driver; returns true when it chose software rendering.
// Logs in the category "StartUp".
bool probeOpenGLSupport(IOpenGLProbeDriver& driver);

// The start-up call: probes the platform's driver and switches Qt Quick to its software
// renderer when OpenGL 2.0 is missing.
void probeOpenGLSupport();
