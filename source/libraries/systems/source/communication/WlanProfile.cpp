#include "communication/WlanProfile.h"

#include <QRegularExpression>
#include <QXmlStreamWriter>

namespace Ulx {
namespace Communication {

namespace {

// The element names and fixed values of the profile document.
struct ProfileStrings
{
    const QString profile = QStringLiteral("WLANProfile");
    const QString xmlns = QStringLiteral("xmlns");
    const QString namespaceUri = QStringLiteral("http://www.microsoft.com/networking/WLAN/profile/v1");
    const QString name = QStringLiteral("name");
    const QString ssidConfig = QStringLiteral("SSIDConfig");
    const QString ssid = QStringLiteral("SSID");
    const QString connectionType = QStringLiteral("connectionType");
    const QString ess = QStringLiteral("ESS");
    const QString connectionMode = QStringLiteral("connectionMode");
    const QString autoMode = QStringLiteral("auto");
    const QString autoSwitch = QStringLiteral("autoSwitch");
    const QString falseValue = QStringLiteral("false");
    const QString msm = QStringLiteral("MSM");
    const QString security = QStringLiteral("security");
    const QString authEncryption = QStringLiteral("authEncryption");
    const QString authentication = QStringLiteral("authentication");
    const QString encryption = QStringLiteral("encryption");
    const QString useOneX = QStringLiteral("useOneX");
    const QString sharedKey = QStringLiteral("sharedKey");
    const QString keyType = QStringLiteral("keyType");
    const QString passPhrase = QStringLiteral("passPhrase");
    const QString protectedKey = QStringLiteral("protected");
    const QString keyMaterial = QStringLiteral("keyMaterial");
};

const ProfileStrings& strings()
{
    static const ProfileStrings table;
    return table;
}

} // namespace

QString authenticationName(quint32 authAlgorithm)
{
    switch (authAlgorithm) {
    case 1:
        return QStringLiteral("OPEN");
    case 2:
        return QStringLiteral("WEP");
    case 3:
    case 4:
    case 5:
        return QStringLiteral("WPAPSK");
    case 6:
    case 7:
        return QStringLiteral("WPA2PSK");
    case 9: // WPA3-Personal
        return QStringLiteral("WPA3SAE");
    default:
        return QString();
    }
}

QString encryptionName(quint32 cipherAlgorithm)
{
    switch (cipherAlgorithm) {
    case 0:
        return QStringLiteral("NONE");
    case 1:
        return QStringLiteral("WEP");
    case 2:
        return QStringLiteral("TKIP");
    case 4:
        return QStringLiteral("AES");
    default:
        return QString();
    }
}

void writeWlanProfile(QXmlStreamWriter& writer, const QString& ssid, const QString& key,
                      const QString& authentication, const QString& encryption)
{
    const ProfileStrings& s = strings();
    writer.writeStartElement(s.profile);
    writer.writeAttribute(s.xmlns, s.namespaceUri);
    writer.writeTextElement(s.name, ssid);
    writer.writeStartElement(s.ssidConfig);
    writer.writeStartElement(s.ssid);
    writer.writeTextElement(s.name, ssid);
    writer.writeEndElement(); // SSID
    writer.writeEndElement(); // SSIDConfig
    writer.writeTextElement(s.connectionType, s.ess);
    writer.writeTextElement(s.connectionMode, s.autoMode);
    writer.writeTextElement(s.autoSwitch, s.falseValue);
    writer.writeStartElement(s.msm);
    writer.writeStartElement(s.security);
    writer.writeStartElement(s.authEncryption);
    writer.writeTextElement(s.authentication, authentication);
    writer.writeTextElement(s.encryption, encryption);
    writer.writeTextElement(s.useOneX, s.falseValue);
    writer.writeEndElement(); // authEncryption
    writer.writeStartElement(s.sharedKey);
    writer.writeTextElement(s.keyType, s.passPhrase);
    writer.writeTextElement(s.protectedKey, s.falseValue);
    writer.writeTextElement(s.keyMaterial, key);
    writer.writeEndElement(); // sharedKey
    writer.writeEndElement(); // security
    writer.writeEndElement(); // MSM
    writer.writeEndElement(); // WLANProfile
}

bool generateWlanProfile(const QString& ssid, const QString& key, quint32 authAlgorithm, quint32 cipherAlgorithm,
                         QString& document)
{
    document.clear();
    const QString authentication = authenticationName(authAlgorithm);
    const QString encryption = encryptionName(cipherAlgorithm);
    if (authentication.isEmpty() || encryption.isEmpty())
        return false;
    QXmlStreamWriter writer(&document);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(4);
    writeWlanProfile(writer, ssid, key, authentication, encryption);
    return true;
}

QString maskWlanProfileKey(const QString& document)
{
    static const QRegularExpression keyElement(QStringLiteral("<keyMaterial>[^<]*</keyMaterial>"));
    QString masked = document;
    masked.replace(keyElement, QStringLiteral("<keyMaterial>********</keyMaterial>"));
    return masked;
}

} // namespace Communication
} // namespace Ulx
