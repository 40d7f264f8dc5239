#include "multimedia/CBrennicVideoStreamConfigLogic.h"

#include "CLogger.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace Ulx {
namespace Multimedia {

namespace {

using Tovrin::Logging::CLogger;
using VideoConfig = MultimediaTypes::VideoConfig;

const QString kCategory = QStringLiteral("UlxSystemsLibrary");
const QString kVersionUrl = QStringLiteral("http://%1:5002/api/version");
const QString kSettingsUrl = QStringLiteral("http://%1:5002/api/1/videostream/settings");
const QString kRequiredApiVersion = QStringLiteral("1");

struct ModeEntry
{
    const char* mode;
    VideoConfig config;
};

// In the order a board's text is tried: the 720p modes, the 1080p modes, then PAL and NTSC.
const ModeEntry kModes[] = {
    {"720p@15fps", MultimediaTypes::VideoConfig720P15FPS},
    {"720p@25fps", MultimediaTypes::VideoConfig720P25FPS},
    {"720p@29.97fps", MultimediaTypes::VideoConfig720P29_97FPS},
    {"720p@30fps", MultimediaTypes::VideoConfig720P30FPS},
    {"1080p@15fps", MultimediaTypes::VideoConfig1080P15FPS},
    {"1080p@25fps", MultimediaTypes::VideoConfig1080P25FPS},
    {"1080p@29.97fps", MultimediaTypes::VideoConfig1080P29_97FPS},
    {"1080p@30fps", MultimediaTypes::VideoConfig1080P30FPS},
    {"PAL@25fps", MultimediaTypes::VideoConfigPAL25FPS},
    {"NTSC@30fps", MultimediaTypes::VideoConfigNTSC30FPS},
};

void logInfo(const QString& text, const QList<QVariant>& arguments = {})
{
    CLogger::logMessage(CLogger::LogLevelInfo, kCategory, text, arguments);
}

QString stringMember(const QJsonObject& object, const char* name)
{
    const QJsonValue value = object.value(QLatin1String(name));
    return value.isString() ? value.toString() : QString();
}

} // namespace

CBrennicVideoStreamConfigLogic::CBrennicVideoStreamConfigLogic(Ulx::Multimedia::CRTSPVideoStreamerLogic* streamerLogic)
    : CEncoderBoardStreamConfigLogic(streamerLogic, Flavors::SystemHost::BrennicEncoderBoard, DefaultRestartDelay,
                                     DefaultTransferTimeout)
{
}

CBrennicVideoStreamConfigLogic::~CBrennicVideoStreamConfigLogic() = default;

QString CBrennicVideoStreamConfigLogic::modeString(VideoConfig config)
{
    for (const ModeEntry& entry : kModes) {
        if (entry.config == config)
            return QString::fromLatin1(entry.mode);
    }
    return QString(QLatin1String(""));
}

VideoConfig CBrennicVideoStreamConfigLogic::configFromModeString(const QString& mode)
{
    for (const ModeEntry& entry : kModes) {
        if (mode == QLatin1String(entry.mode))
            return entry.config;
    }
    return MultimediaTypes::VideoConfigInvalid;
}

void CBrennicVideoStreamConfigLogic::queryActiveConfig()
{
    if (!beginQuery())
        return;
    m_versionQueryPending = true;
    track(manager()->get(request(kVersionUrl)));
}

bool CBrennicVideoStreamConfigLogic::supportsConfigChange() const
{
    return m_changeSupported;
}

void CBrennicVideoStreamConfigLogic::resetBoardState()
{
    m_changeSupported = false;
    m_versionQueryPending = false;
}

void CBrennicVideoStreamConfigLogic::sendChange(VideoConfig config)
{
    QJsonObject body;
    body.insert(QStringLiteral("new_config"), modeString(config));
    QNetworkRequest put = request(kSettingsUrl);
    put.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    track(manager()->put(put, QJsonDocument(body).toJson(QJsonDocument::Compact)));
}

void CBrennicVideoStreamConfigLogic::sendSettingsQuery()
{
    track(manager()->get(request(kSettingsUrl)));
}

VideoConfig CBrennicVideoStreamConfigLogic::parseSettings(const QByteArray& body)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return MultimediaTypes::VideoConfigInvalid;
    return configFromModeString(stringMember(document.object(), "current_config"));
}

void CBrennicVideoStreamConfigLogic::onQueryReplyFinished(QNetworkReply* reply, bool failed)
{
    if (m_versionQueryPending) {
        m_versionQueryPending = false;
        if (evaluateVersionReply(reply, failed)) {
            sendSettingsQuery();
            return;
        }
        setConfigChangeInProgress(false);
        releaseManager();
        if (!failed) {
            // A board without the API version this program speaks still streams: the
            // session goes on with the mode unknown and changes switched off.
            setActiveConfig(MultimediaTypes::VideoConfigInvalid);
            emit configQuerySucceeded();
        }
        return;
    }
    evaluateSettingsReply(reply, failed);
    setConfigChangeInProgress(false);
    releaseManager();
}

bool CBrennicVideoStreamConfigLogic::evaluateVersionReply(QNetworkReply* reply, bool failed)
{
    if (failed) {
        emit errorOccurred(MultimediaTypes::StreamConfigErrorTimeOut);
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(reply->readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        logInfo(QStringLiteral("Failed to parse reply from encoding board."));
        m_changeSupported = false;
        return false;
    }
    const QJsonObject object = document.object();
    logInfo(QStringLiteral("Firmware info:"),
            {QStringLiteral("Platform: ") + stringMember(object, "platform"),
             QStringLiteral("Platform version: ") + stringMember(object, "platform_version"),
             QStringLiteral("API revision:") + stringMember(object, "api_revision")});
    bool supported = false;
    const QJsonArray versions = object.value(QStringLiteral("supported_api_versions")).toArray();
    for (const QJsonValue& version : versions) {
        if (version.isString() && version.toString() == kRequiredApiVersion)
            supported = true;
    }
    m_changeSupported = supported;
    return supported;
}

} // namespace Multimedia
} // namespace Ulx
