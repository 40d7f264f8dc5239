#pragma once

#include "multimedia/CEncoderBoardStreamConfigLogic.h"

class QAuthenticator;
class QNetworkAccessManager;
class QNetworkReply;

namespace Ulx {
namespace Multimedia {

// The stream configuration logic of ZPX systems, whose encoder board has a small web server
// behind HTTP authentication: the firmware version comes from its index page, the image size
// and frame rate from a settings page, and a change is a posted form, with the live stream
// stopped before and started again afterwards.
class CZPXVideoStreamConfigLogic : public CEncoderBoardStreamConfigLogic
{
    Q_OBJECT

public:
    static constexpr int DefaultRestartDelay = 8000;
    // Beyond the slowest page the board serves while it switches its encoder.
    static constexpr int DefaultTransferTimeout = 8000;

    explicit CZPXVideoStreamConfigLogic(Ulx::Multimedia::CRTSPVideoStreamerLogic* streamerLogic);
    ~CZPXVideoStreamConfigLogic() override;

    void queryActiveConfig() override;
    bool supportsConfigChange() const override;

    int firmwareMajor() const { return m_firmwareMajor; }
    int firmwareMinor() const { return m_firmwareMinor; }

protected:
    void sendChange(Ulx::MultimediaTypes::VideoConfig config) override;
    void sendSettingsQuery() override;
    Ulx::MultimediaTypes::VideoConfig parseSettings(const QByteArray& body) override;
    void onQueryReplyFinished(QNetworkReply* reply, bool failed) override;
    Ulx::MultimediaTypes::StreamConfigError changeFailure(QNetworkReply* reply, bool timedOut) const override;
    void onManagerCreated(QNetworkAccessManager* manager) override;
    void onChangeEnded() override;
    void resetBoardState() override;

private:
    void onAuthenticationRequired(QNetworkReply* reply, QAuthenticator* authenticator);

    qint32 m_firmwareMajor = 0;
    qint32 m_firmwareMinor = 0;
    // 0 nothing answered yet, 2 first credentials given, 1 second credentials given.
    quint32 m_authenticationStep = 0;
    bool m_indexPagePending = false;
};

} // namespace Multimedia
} // namespace Ulx
