#pragma once

#include "managers/IUrlLauncher.h"

// Hands files and addresses to the desktop (QDesktopServices).
class CDesktopUrlLauncher : public IUrlLauncher
{
public:
    bool openUrl(const QUrl& url) override;
};
