#pragma once

#include "CRemoteFileInfo.h"

#include <QByteArray>
#include <QVector>

namespace Ulx {
namespace Communication {

// Reads the camera's XML file list (a "DCIM" element with "file" children). Entries without a
// safe path, a time or a known type are dropped; an XML error fails the whole list.
bool parseTetronFileList(const QByteArray& xml, QVector<Multimedia::CRemoteFileInfo>* files);

} // namespace Communication
} // namespace Ulx
