#pragma once

#include <QString>

namespace Ulx {
namespace Communication {

// Where the Hoselux camera's web server is reached. The host comes from the system address
// table; the port is HTTP's own (80, which the URL leaves out), or CX_HOSELUX_HTTP_PORT when
// set (a simulator's), or what setCameraHttpPort() chose (0 restores the default). GUI thread
// only.
QString cameraBaseUrl();
void setCameraHttpPort(quint16 port);
quint16 cameraHttpPort();

// Whether a path from the camera is safe to use: it starts with "/", and no segment is ".."
// or ".", holds a backslash or is empty (apart from none at all).
bool isSafeCameraPath(const QString& path);

// A camera path as it stands in a camera URL: UTF-8, every character but letters, digits,
// "-._~" and the "/" between segments percent-encoded. The one encoding of a camera file's path,
// for its address in the file list, its download, its thumbnail and its deletion, so that
// "A%20B.JPG" and "A B.JPG" stay two files.
QString encodedCameraPath(const QString& path);

// The base URL followed by the encoded path; empty when the path is not safe.
QString cameraFileUrl(const QString& path);

// The camera path of a URL made by cameraFileUrl (decoded again); empty when the URL does not
// start with the base URL (case-sensitive).
QString cameraFilePath(const QString& url);

// UTF-8 percent-encoding that leaves letters, digits and "-._~" (plus the given extra
// characters) as they are.
QString percentEncoded(const QString& text, const QByteArray& keep = QByteArray());

} // namespace Communication
} // namespace Ulx
