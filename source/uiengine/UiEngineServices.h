#pragma once

#include <QString>

class CUiEngine;
class QObject;

// How the UI engine reaches the objects it shows to QML and the systems library, beside the
// services of ApplicationServices. Each returns null when there is no application object
// (tests run the engine on its own).
namespace UiEngineServices {

QObject* videoOverlayManager();
QObject* videoPlayer();
QObject* powerManager();

// Session manager: state changes and communication errors reach the engine's slots.
void connectSessionManager(CUiEngine* engine);
// True while the session manager reports no connection at all.
bool sessionManagerOffline();
// The Wi-Fi adapter taken up by name that is not there; empty when it is.
QString missingWifiInterface();
// The application's applicationErrorOccured(error) reaches onApplicationErrorOccurred.
void connectApplication(CUiEngine* engine);

} // namespace UiEngineServices
