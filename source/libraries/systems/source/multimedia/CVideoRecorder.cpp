#include "multimedia/CVideoRecorder.h"

#include "CUlxSystemsLibraryPrivate.h"
#include "ILogicProvider.h"
#include "multimedia/CRTSPVideoRecorderLogic.h"

namespace Ulx {
namespace Multimedia {

CVideoRecorder::CVideoRecorder(QObject* parent)
    : QObject(parent)
{
    CRTSPVideoRecorderLogic* recorderLogic = logic();
    if (!recorderLogic)
        return;
    connect(recorderLogic, &CRTSPVideoRecorderLogic::stateChanged, this, &CVideoRecorder::stateChanged);
    connect(recorderLogic, &CRTSPVideoRecorderLogic::fileNameChanged, this, &CVideoRecorder::fileNameChanged);
    connect(recorderLogic, &CRTSPVideoRecorderLogic::errorOccurred, this, &CVideoRecorder::errorOccurred);
}

CVideoRecorder::~CVideoRecorder() = default;

CRTSPVideoRecorderLogic* CVideoRecorder::logic()
{
    ILogicProvider* provider = CUlxSystemsLibraryPrivate::instance();
    return provider ? provider->videoRecorderLogic() : nullptr;
}

Ulx::MultimediaTypes::RecordingState CVideoRecorder::state() const
{
    CRTSPVideoRecorderLogic* recorderLogic = logic();
    return recorderLogic ? recorderLogic->state() : Ulx::MultimediaTypes::RecordingStopped;
}

void CVideoRecorder::start()
{
    if (CRTSPVideoRecorderLogic* recorderLogic = logic())
        recorderLogic->start();
}

void CVideoRecorder::stop()
{
    if (CRTSPVideoRecorderLogic* recorderLogic = logic())
        recorderLogic->stop();
}

void CVideoRecorder::pause()
{
    if (CRTSPVideoRecorderLogic* recorderLogic = logic())
        recorderLogic->pause();
}

void CVideoRecorder::resume()
{
    if (CRTSPVideoRecorderLogic* recorderLogic = logic())
        recorderLogic->resume();
}

QString CVideoRecorder::fileName() const
{
    CRTSPVideoRecorderLogic* recorderLogic = logic();
    return recorderLogic ? recorderLogic->fileName() : QString();
}

void CVideoRecorder::setFileName(const QString& fileName)
{
    if (CRTSPVideoRecorderLogic* recorderLogic = logic())
        recorderLogic->setFileName(fileName);
}

int CVideoRecorder::duration() const
{
    CRTSPVideoRecorderLogic* recorderLogic = logic();
    return recorderLogic ? recorderLogic->duration() : 0;
}

} // namespace Multimedia
} // namespace Ulx
