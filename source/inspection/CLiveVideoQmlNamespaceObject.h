#pragma once

#include <QObject>

class CQmlVideoRecorder;
class CQmlVideoStreamConfigurator;
class CQmlVideoStreamer;

// What QML sees as "liveVideo": the stream configuration, the live stream and the local recorder,
// each a wrapper over the systems library's facade. The wrappers are made in the constructor and
// deleted in the destructor; the facades outlive them. GUI thread only.
class CLiveVideoQmlNamespaceObject : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QObject* config READ config CONSTANT)
    Q_PROPERTY(QObject* stream READ stream CONSTANT)
    Q_PROPERTY(QObject* recorder READ recorder CONSTANT)

public:
    explicit CLiveVideoQmlNamespaceObject(QObject* parent = nullptr);
    ~CLiveVideoQmlNamespaceObject() override;

    QObject* config() const;
    QObject* stream() const;
    QObject* recorder() const;

private:
    CQmlVideoStreamConfigurator* m_config = nullptr; // owned
    CQmlVideoStreamer* m_stream = nullptr; // owned
    CQmlVideoRecorder* m_recorder = nullptr; // owned
};
