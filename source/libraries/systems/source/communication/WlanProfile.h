#pragma once

#include <QString>

class QXmlStreamWriter;

namespace Ulx {
namespace Communication {

// The temporary WLAN profile (version-1 WLAN profile schema) with which a secured camera-system
// network is joined: built from the SSID, the key and the algorithms the network advertises.

// "OPEN", "WEP", "WPAPSK" or "WPA2PSK"; an empty string for an algorithm without a value.
QString authenticationName(quint32 authAlgorithm);
// "NONE", "WEP", "TKIP" or "AES"; an empty string for an algorithm without a value.
QString encryptionName(quint32 cipherAlgorithm);

// Writes the profile's elements, in their fixed order, with the given values.
void writeWlanProfile(QXmlStreamWriter& writer, const QString& ssid, const QString& key,
                      const QString& authentication, const QString& encryption);

// Clears the document and, when both algorithms have a value, writes the profile into it (no XML
// declaration, 4-space indentation). False, with the document left empty, otherwise.
bool generateWlanProfile(const QString& ssid, const QString& key, quint32 authAlgorithm, quint32 cipherAlgorithm,
                         QString& document);

// The document with the content of every key element replaced, for log lines.
QString maskWlanProfileKey(const QString& document);

} // namespace Communication
} // namespace Ulx
