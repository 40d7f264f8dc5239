#pragma once

#include "multimedia/CEncoderBoardStreamConfigLogic.h"

#include <QString>

class QNetworkReply;

namespace Ulx {
namespace Multimedia {

// The stream configuration logic of the Brennic encoder board of ZPX2 and Gullyrover systems.
// It speaks the board's REST interface (JSON over HTTP): checks the API version, reads the
// video mode and changes it, stopping the live stream before a change and starting it again
// once the board has settled.
class CBrennicVideoStreamConfigLogic : public CEncoderBoardStreamConfigLogic
{
    Q_OBJECT

public:
    static constexpr int DefaultRestartDelay = 10000;
    // Beyond the slowest answer the board gives while it switches its encoder.
    static constexpr int DefaultTransferTimeout = 8000;

    explicit CBrennicVideoStreamConfigLogic(Ulx::Multimedia::CRTSPVideoStreamerLogic* streamerLogic);
    ~CBrennicVideoStreamConfigLogic() override;

    void queryActiveConfig() override;
    bool supportsConfigChange() const override;

    // The board's mode string of a configuration ("" for one it has none for), and back.
    static QString modeString(Ulx::MultimediaTypes::VideoConfig config);
    static Ulx::MultimediaTypes::VideoConfig configFromModeString(const QString& mode);

protected:
    void sendChange(Ulx::MultimediaTypes::VideoConfig config) override;
    void sendSettingsQuery() override;
    Ulx::MultimediaTypes::VideoConfig parseSettings(const QByteArray& body) override;
    void onQueryReplyFinished(QNetworkReply* reply, bool failed) override;
    void resetBoardState() override;

private:
    bool evaluateVersionReply(QNetworkReply* reply, bool failed);

    bool m_versionQueryPending = false;
    bool m_changeSupported = false;
};

} // namespace Multimedia
} // namespace Ulx
