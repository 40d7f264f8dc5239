#include "CUlxSystemsLibrary.h"

#include "CUlxSystemsLibraryPrivate.h"

#include <QtGlobal>

namespace Ulx {

namespace {

// The published instance is owned here: created by initialize(), deleted by finalize().
CUlxSystemsLibraryPrivate* g_library = nullptr;

} // namespace

CUlxSystemsLibraryPrivate* CUlxSystemsLibraryPrivate::instance()
{
    return g_library;
}

void CUlxSystemsLibrary::initialize()
{
    if (g_library)
        return;
    g_library = new CUlxSystemsLibraryPrivate();
    // Published first: the facades and the session manager reach the graph from their
    // constructors.
    g_library->createFacades();
}

void CUlxSystemsLibrary::finalize()
{
    if (!g_library)
        return;
    // Still published while it is destroyed: the facades and the session manager go first and
    // may reach the storages and logics on their way out.
    delete g_library;
    g_library = nullptr;
}

void CUlxSystemsLibrary::platformInit(void* platformData)
{
    Q_UNUSED(platformData)
}

Communication::CSessionManager* CUlxSystemsLibrary::sessionManager()
{
    return g_library ? g_library->m_sessionManager : nullptr;
}

Multimedia::CRemoteMediaCapture* CUlxSystemsLibrary::remoteMediaCapture()
{
    return g_library ? g_library->m_remoteMediaCapture : nullptr;
}

Multimedia::CRemoteMediaStorage* CUlxSystemsLibrary::remoteMediaStorage()
{
    return g_library ? g_library->m_remoteMediaStorage : nullptr;
}

Multimedia::CVideoStreamConfig* CUlxSystemsLibrary::videoStreamConfig()
{
    return g_library ? g_library->m_videoStreamConfig : nullptr;
}

Multimedia::CVideoStreamer* CUlxSystemsLibrary::videoStreamer()
{
    return g_library ? g_library->m_videoStreamer : nullptr;
}

Multimedia::CVideoRecorder* CUlxSystemsLibrary::videoRecorder()
{
    return g_library ? g_library->m_videoRecorder : nullptr;
}

SystemControl::CSystemCaps* CUlxSystemsLibrary::systemCaps()
{
    return g_library ? g_library->m_systemCaps : nullptr;
}

SystemControl::CSystemControl* CUlxSystemsLibrary::systemControl()
{
    return g_library ? g_library->m_systemControl : nullptr;
}

SystemControl::CSystemReadouts* CUlxSystemsLibrary::systemReadouts()
{
    return g_library ? g_library->m_systemReadouts : nullptr;
}

VideoOverlay::CVideoOverlayCaps* CUlxSystemsLibrary::videoOverlayCaps()
{
    return g_library ? g_library->m_videoOverlayCaps : nullptr;
}

VideoOverlay::CVideoOverlayControl* CUlxSystemsLibrary::videoOverlayControl()
{
    return g_library ? g_library->m_videoOverlayControl : nullptr;
}

Flavors::VendorData* CUlxSystemsLibrary::vendorData()
{
    return g_library ? g_library->m_vendorData : nullptr;
}

} // namespace Ulx
