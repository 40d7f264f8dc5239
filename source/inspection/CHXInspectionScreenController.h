#pragma once

#include "inspection/CBaseInspectionScreenController.h"

#include "RemoteMediaTypes.h"

#include <QString>

// The inspection screen of the Hoselux system, whose camera records videos and takes photos on
// its own storage card: remote capture through the library's remote-media capture facade, the
// remaining space and running recording time as texts, a warning once per connection when the
// camera gets too hot, and a warning for each new state of the storage card. A photo the camera
// reports as taken is added to the current survey under the camera's file name. Created by the
// screen in QML; the library facades are process-wide and not owned. GUI thread only.
class CHXInspectionScreenController : public CBaseInspectionScreenController
{
    Q_OBJECT
    Q_PROPERTY(QString remainingSpace READ remainingSpace NOTIFY remainingSpaceChanged)
    Q_PROPERTY(QString currentRecordingTime READ currentRecordingTime NOTIFY currentRecordingTimeChanged)

public:
    explicit CHXInspectionScreenController(QObject* parent = nullptr);
    // Tests hand in services of their own.
    CHXInspectionScreenController(const Services& services, QObject* parent);

    QString remainingSpace() const;
    QString currentRecordingTime() const;

    Q_INVOKABLE void startVideoRecording();
    Q_INVOKABLE void stopVideoRecording();
    Q_INVOKABLE void takePhoto();

signals:
    void currentRecordingTimeChanged();
    void remainingSpaceChanged();
    void temperatureWarningOccurred();
    void mediaStorageWarningOccurred(QString warningMessage);

public slots:
    void checkCameraTemperatureState();
    void checkMediaStorageState();
    void onConnectionStateChanged();
    void onPhotoCaptured(QString fileName);
    void updateCurrentRecordingTime();
    void updateRemainingSpace();

private:
    void initialize();
    // "REC hh:mm.ss" for a running recording time in milliseconds; empty for 0.
    static QString formatRecordingTime(qint32 milliseconds);

    // A missing card when the screen opens is no news; any other first state is.
    Ulx::RemoteMediaTypes::MediaStorageState m_lastStorageState = Ulx::RemoteMediaTypes::MediaStorageNotAvailable;
    bool m_temperatureWarningShown = false;
    QString m_remainingSpace;
    QString m_currentRecordingTime;
};
