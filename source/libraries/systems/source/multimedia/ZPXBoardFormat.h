#pragma once

#include "MultimediaTypes.h"

#include <QByteArray>
#include <QString>

namespace Ulx {
namespace Multimedia {

// What the ZPX encoder board's pages say and what its settings form takes. The codes of the
// image size and the frame rate depend on the board's firmware (major 4, minors 24 to 29).
namespace ZPXBoardFormat {

struct FirmwareVersion
{
    int major = 0;
    int minor = 0;
    QString text; // the text behind the firmware marker; empty when the page has none
};

// The firmware text of the index page and its major and minor numbers (both 0 when the text
// is missing, has no "-", or its part before "-" is not two numbers joined by ".").
FirmwareVersion parseFirmwareVersion(const QByteArray& indexPage);

// Whether the firmware takes configuration changes.
bool supportsChange(int major, int minor);

// The configuration a settings page describes, VideoConfigInvalid when it cannot be mapped.
Ulx::MultimediaTypes::VideoConfig parseSettingsPage(const QByteArray& page, int major, int minor);

// The settings form body for a configuration; empty for one the firmware does not know.
QByteArray formBody(Ulx::MultimediaTypes::VideoConfig config, int major, int minor);

} // namespace ZPXBoardFormat
} // namespace Multimedia
} // namespace Ulx
