#pragma once

#include "MultimediaTypes.h"

#include <QObject>

namespace Ulx {
namespace Multimedia {

// Base of the per-family logics that read and change the video encoder's configuration.
class CAbstractVideoStreamConfigLogic : public QObject
{
    Q_OBJECT

public:
    CAbstractVideoStreamConfigLogic();
    ~CAbstractVideoStreamConfigLogic() override;

    Ulx::MultimediaTypes::VideoConfig activeConfig() const { return m_activeConfig; }
    bool configChangeInProgress() const { return m_configChangeInProgress; }

    virtual void queryActiveConfig() = 0;
    virtual void changeActiveConfig(Ulx::MultimediaTypes::VideoConfig config) = 0;
    virtual bool supportsConfigChange() const = 0;
    virtual void reset() = 0;

signals:
    void errorOccurred(Ulx::MultimediaTypes::StreamConfigError errorCode);
    void configQuerySucceeded();
    void activeConfigChanged();
    void configChangeInProgressChanged();

protected:
    void setActiveConfig(Ulx::MultimediaTypes::VideoConfig config);
    void setConfigChangeInProgress(bool inProgress);

private:
    Ulx::MultimediaTypes::VideoConfig m_activeConfig = Ulx::MultimediaTypes::VideoConfigInvalid;
    bool m_configChangeInProgress = false;
};

} // namespace Multimedia
} // namespace Ulx
