#pragma once

// Keeps Qt's bearer management (network configurations and sessions) out of the program, which
// uses none of it: every QNetworkAccessManager shares one process-wide bearer manager, built on
// first use from the bearer plugins in Qt's plugin folders. The NetworkManager plugin asks
// NetworkManager with blocking D-Bus calls (25 s each when they go unanswered) on the thread
// that makes the first network access manager, and waits on Qt's bearer thread with a blocking
// queued call; any thread making a network access manager meanwhile waits as well. A hung
// NetworkManager would so hold the GUI thread during start, at the first web request and at the
// update check, whichever network access manager comes first (the web client's, the updater's,
// a camera command runner's, the map plugin's or the QML engine's).
//
// The bearer manager looks for plugins once, on that first use, and keeps what it found for the
// whole run. It is therefore built here, before anything makes a network access manager, while
// Qt's plugin folders are set to none for that moment; it then has no engine at all and Qt's
// network stack never asks NetworkManager (nor polls the interfaces, as the generic plugin does).
// Requests go out as they do on a platform without bearer plugins.
//
// Call once on the GUI thread, right after the application object is made and before any other
// thread runs (the plugin folders are the process's); later calls do nothing.
void keepBearerManagementOut();
