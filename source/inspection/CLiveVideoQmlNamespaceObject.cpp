#include "inspection/CLiveVideoQmlNamespaceObject.h"

#include "CUlxSystemsLibrary.h"
#include "inspection/CQmlVideoRecorder.h"
#include "inspection/CQmlVideoStreamConfigurator.h"
#include "inspection/CQmlVideoStreamer.h"

using Ulx::CUlxSystemsLibrary;

CLiveVideoQmlNamespaceObject::CLiveVideoQmlNamespaceObject(QObject* parent)
    : QObject(parent)
    , m_config(new CQmlVideoStreamConfigurator(CUlxSystemsLibrary::videoStreamConfig()))
    , m_stream(new CQmlVideoStreamer(CUlxSystemsLibrary::videoStreamer()))
    , m_recorder(new CQmlVideoRecorder(CUlxSystemsLibrary::videoRecorder()))
{
}

CLiveVideoQmlNamespaceObject::~CLiveVideoQmlNamespaceObject()
{
    // The wrappers are no QObject children: they go here, last made first.
    delete m_recorder;
    delete m_stream;
    delete m_config;
}

QObject* CLiveVideoQmlNamespaceObject::config() const
{
    return m_config;
}

QObject* CLiveVideoQmlNamespaceObject::stream() const
{
    return m_stream;
}

QObject* CLiveVideoQmlNamespaceObject::recorder() const
{
    return m_recorder;
}
