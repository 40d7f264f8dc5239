#include "wlan/WlanTypes.h"

namespace Ulx {
namespace Wlan {

namespace {

// The length of the valid UTF-8 sequence at data[at], 0 when none starts there.
int utf8SequenceLength(const QByteArray& data, int at)
{
    const auto byte = [&data](int index) { return index < data.size() ? quint8(data.at(index)) : 0u; };
    const auto continuation = [&byte](int index, quint8 low = 0x80, quint8 high = 0xBF) {
        return byte(index) >= low && byte(index) <= high;
    };
    const quint8 lead = byte(at);
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return continuation(at + 1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        // No overlong forms, no surrogates.
        const quint8 low = lead == 0xE0 ? 0xA0 : 0x80;
        const quint8 high = lead == 0xED ? 0x9F : 0xBF;
        return continuation(at + 1, low, high) && continuation(at + 2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        // No overlong forms, nothing beyond U+10FFFF.
        const quint8 low = lead == 0xF0 ? 0x90 : 0x80;
        const quint8 high = lead == 0xF4 ? 0x8F : 0xBF;
        return continuation(at + 1, low, high) && continuation(at + 2) && continuation(at + 3) ? 4 : 0;
    }
    return 0;
}

bool breaksTheLine(uint codePoint)
{
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F) || codePoint == 0x2028 || codePoint == 0x2029;
}

int hexValue(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

} // namespace

QString ssidText(const QByteArray& ssid)
{
    QString text;
    for (int at = 0; at < ssid.size();) {
        const int length = utf8SequenceLength(ssid, at);
        const QString character = length > 0 ? QString::fromUtf8(ssid.constData() + at, length) : QString();
        if (length > 0 && !breaksTheLine(character.toUcs4().value(0))) {
            text += character == QLatin1String("\\") ? QStringLiteral("\\\\") : character;
            at += length;
            continue;
        }
        for (const int end = at + qMax(length, 1); at < end; ++at)
            text += QStringLiteral("\\x") + QString::number(quint8(ssid.at(at)), 16).rightJustified(2, QLatin1Char('0')).toUpper();
    }
    return text;
}

QByteArray ssidBytes(const QString& text)
{
    QByteArray bytes;
    int plainFrom = 0;
    const auto takePlain = [&](int to) { bytes += text.mid(plainFrom, to - plainFrom).toUtf8(); };
    for (int at = 0; at < text.size(); ++at) {
        if (text.at(at) != QLatin1Char('\\'))
            continue;
        if (at + 1 < text.size() && text.at(at + 1) == QLatin1Char('\\')) {
            takePlain(at);
            bytes += '\\';
            plainFrom = at + 2;
            ++at;
        } else if (at + 3 < text.size() && text.at(at + 1) == QLatin1Char('x') && hexValue(text.at(at + 2)) >= 0
                   && hexValue(text.at(at + 3)) >= 0) {
            takePlain(at);
            bytes += char(hexValue(text.at(at + 2)) * 16 + hexValue(text.at(at + 3)));
            plainFrom = at + 4;
            at += 3;
        }
    }
    takePlain(text.size());
    return bytes;
}

QString errorText(ErrorCode code)
{
    switch (code) {
    case ErrorSuccess:
        return QStringLiteral("The operation completed successfully.");
    case ErrorAccessDenied:
        return QStringLiteral("Access is denied.");
    case ErrorInvalidHandle:
        return QStringLiteral("The handle is invalid.");
    case ErrorNotSupported:
        return QStringLiteral("The request is not supported.");
    case ErrorInvalidParameter:
        return QStringLiteral("The parameter is incorrect.");
    case ErrorServiceNotActive:
        return QStringLiteral("The service has not been started.");
    case ErrorNotFound:
        return QStringLiteral("Element not found.");
    case ErrorInvalidState:
        return QStringLiteral("The group or resource is not in the correct state to perform the requested operation.");
    default:
        return QString();
    }
}

} // namespace Wlan
} // namespace Ulx
