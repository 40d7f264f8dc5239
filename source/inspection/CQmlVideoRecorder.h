#pragma once

#include "MultimediaTypes.h"

#include <QObject>
#include <QPointer>

namespace Ulx {
namespace Multimedia {
class CVideoRecorder;
} // namespace Multimedia
} // namespace Ulx

// Local recording from the live stream, for QML. Starting needs a file name and is left to the
// inspection screen controllers. Holds only the (not owned) facade; the namespace object that made
// it deletes it. GUI thread.
class CQmlVideoRecorder : public QObject
{
    Q_OBJECT
    Q_PROPERTY(Ulx::MultimediaTypes::RecordingState state READ state NOTIFY stateChanged)

public:
    explicit CQmlVideoRecorder(Ulx::Multimedia::CVideoRecorder* facade);
    ~CQmlVideoRecorder() override;

    Ulx::MultimediaTypes::RecordingState state() const;

    Q_INVOKABLE void stop();
    Q_INVOKABLE void pause();
    Q_INVOKABLE void resume();

signals:
    void stateChanged();

private:
    QPointer<Ulx::Multimedia::CVideoRecorder> m_facade;
};
