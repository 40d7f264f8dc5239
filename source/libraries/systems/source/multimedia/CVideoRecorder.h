#pragma once

#include "MultimediaTypes.h"

#include <QObject>
#include <QString>

namespace Ulx {
namespace Multimedia {

class CRTSPVideoRecorderLogic;

// The application's entry to local recording from the live stream. Holds no state: every call
// goes to the recorder logic that the library's logic provider returns, and the logic's
// signals are relayed one to one. Created and owned by the systems library, on the GUI thread.
class CVideoRecorder : public QObject
{
    Q_OBJECT

public:
    explicit CVideoRecorder(QObject* parent = nullptr);
    ~CVideoRecorder() override;

    Ulx::MultimediaTypes::RecordingState state() const;
    void start();
    void stop();
    void pause();
    void resume();
    QString fileName() const;
    void setFileName(const QString& fileName);
    // Milliseconds, paused time included.
    int duration() const;

signals:
    void stateChanged();
    void fileNameChanged();
    void errorOccurred(Ulx::MultimediaTypes::RecordingError errorCode);

private:
    static CRTSPVideoRecorderLogic* logic();
};

} // namespace Multimedia
} // namespace Ulx
