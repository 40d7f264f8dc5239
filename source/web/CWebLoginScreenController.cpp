#include "web/CWebLoginScreenController.h"

#include "managers/IUrlLauncher.h"
#include "web/WebScreenServices.h"

#include "ApplicationUrls.h"
#include "CLogger.h"
#include "TovrinWebApi.h"

#include <QUrl>

using Tovrin::Logging::CLogger;
using Tovrin::Web::TovrinWebApi;

CWebLoginScreenController::CWebLoginScreenController(QObject* parent)
    : QObject(parent)
    , m_webApi(WebScreenServices::current().webApi)
{
    if (m_webApi)
        connect(m_webApi, &TovrinWebApi::loginStatusChanged, this, &CWebLoginScreenController::loginStatusChanged);
}

CWebLoginScreenController::LoginStatus CWebLoginScreenController::loginStatus() const
{
    if (!m_webApi)
        return LoginStatusLoggedOut;
    return static_cast<LoginStatus>(m_webApi->loginStatus());
}

QString CWebLoginScreenController::registrationPageUrl()
{
    return Tovrin::Shared::ApplicationUrls::webUrl() + QStringLiteral("login/#/registration");
}

bool CWebLoginScreenController::openRegistrationPage() const
{
    IUrlLauncher* launcher = UrlLaunching::launcher();
    const QUrl url(registrationPageUrl());
    if (!launcher || !launcher->openUrl(url)) {
        CLogger::logMessage(CLogger::LogLevelWarning, QStringLiteral("CWebLoginScreenController"),
                            QStringLiteral("The registration page %1 could not be opened").arg(url.toString()), {});
        return false;
    }
    return true;
}
