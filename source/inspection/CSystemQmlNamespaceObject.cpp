#include "inspection/CSystemQmlNamespaceObject.h"

#include "CUlxSystemsLibrary.h"
#include "inspection/CQmlSystemCaps.h"
#include "inspection/CQmlSystemConnection.h"
#include "inspection/CQmlSystemControl.h"
#include "inspection/CQmlSystemReadouts.h"

using Ulx::CUlxSystemsLibrary;

CSystemQmlNamespaceObject::CSystemQmlNamespaceObject(QObject* parent)
    : QObject(parent)
    , m_connection(new CQmlSystemConnection(CUlxSystemsLibrary::sessionManager()))
    , m_control(new CQmlSystemControl(CUlxSystemsLibrary::systemControl()))
    , m_caps(new CQmlSystemCaps(CUlxSystemsLibrary::systemCaps()))
    , m_readouts(new CQmlSystemReadouts(CUlxSystemsLibrary::systemReadouts()))
{
}

CSystemQmlNamespaceObject::~CSystemQmlNamespaceObject()
{
    // The wrappers are no QObject children: they go here, last made first.
    delete m_readouts;
    delete m_caps;
    delete m_control;
    delete m_connection;
}

QObject* CSystemQmlNamespaceObject::connection() const
{
    return m_connection;
}

QObject* CSystemQmlNamespaceObject::readouts() const
{
    return m_readouts;
}

QObject* CSystemQmlNamespaceObject::control() const
{
    return m_control;
}

QObject* CSystemQmlNamespaceObject::caps() const
{
    return m_caps;
}
