#pragma once

#include "flavors/SystemAddresses.h"

#include <QString>
#include <QUrl>

namespace Ulx {
namespace Multimedia {

// The URL of a request to an encoder board: the template's %1 is the board's address from the
// camera-system address table; when the table names an HTTP port for the board, that port
// replaces the one the template gives (the simulated boards listen on ports of their own).
QUrl encoderBoardUrl(Ulx::Flavors::SystemHost board, const QString& urlTemplate);

} // namespace Multimedia
} // namespace Ulx
