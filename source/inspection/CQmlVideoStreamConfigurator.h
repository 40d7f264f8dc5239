#pragma once

#include "MultimediaTypes.h"

#include <QObject>
#include <QPointer>

namespace Ulx {
namespace Multimedia {
class CVideoStreamConfig;
} // namespace Multimedia
} // namespace Ulx

// The live video's stream configuration, for QML. The resolution follows the active configuration
// and is notified with it. Holds only the (not owned) facade; the namespace object that made it
// deletes it. GUI thread.
class CQmlVideoStreamConfigurator : public QObject
{
    Q_OBJECT
    Q_PROPERTY(Ulx::MultimediaTypes::VideoConfig activeConfig READ activeConfig NOTIFY activeConfigChanged)
    Q_PROPERTY(Ulx::MultimediaTypes::VideoResolution activeResolution READ activeResolution NOTIFY activeConfigChanged)
    Q_PROPERTY(bool supportsConfigChange READ supportsConfigChange NOTIFY supportsConfigChangeChanged)
    Q_PROPERTY(bool configChangeInProgress READ configChangeInProgress NOTIFY configChangeInProgressChanged)

public:
    explicit CQmlVideoStreamConfigurator(Ulx::Multimedia::CVideoStreamConfig* facade);
    ~CQmlVideoStreamConfigurator() override;

    Ulx::MultimediaTypes::VideoConfig activeConfig() const;
    Ulx::MultimediaTypes::VideoResolution activeResolution() const;
    bool supportsConfigChange() const;
    bool configChangeInProgress() const;

    Q_INVOKABLE void changeActiveConfig(Ulx::MultimediaTypes::VideoConfig config);
    Q_INVOKABLE void changeActiveResolution(Ulx::MultimediaTypes::VideoResolution resolution);

signals:
    void errorOccurred(Ulx::MultimediaTypes::StreamConfigError errorCode);
    void configChangeInProgressChanged();
    void activeConfigChanged();
    void supportsConfigChangeChanged();

private:
    QPointer<Ulx::Multimedia::CVideoStreamConfig> m_facade;
};
