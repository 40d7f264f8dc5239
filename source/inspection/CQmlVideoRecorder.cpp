#include "inspection/CQmlVideoRecorder.h"

#include "inspection/QmlFacadeWrapping.h"
#include "multimedia/CVideoRecorder.h"

using namespace QmlFacadeWrapping;
using Facade = Ulx::Multimedia::CVideoRecorder;

CQmlVideoRecorder::CQmlVideoRecorder(Facade* facade)
    : m_facade(facade)
{
    relaySignals(facade, this);
}

CQmlVideoRecorder::~CQmlVideoRecorder() = default;

Ulx::MultimediaTypes::RecordingState CQmlVideoRecorder::state() const
{
    return read(m_facade, &Facade::state);
}

void CQmlVideoRecorder::stop()
{
    if (m_facade)
        m_facade->stop();
}

void CQmlVideoRecorder::pause()
{
    if (m_facade)
        m_facade->pause();
}

void CQmlVideoRecorder::resume()
{
    if (m_facade)
        m_facade->resume();
}
