#include "appstart/CInitialSetupScreenController.h"

#include "application/CApplication.h"
#include "application/CSettings.h"
#include "messages/TranslationHelper.h"

#include <QCoreApplication>

namespace {

CSettings* applicationSettings()
{
    auto* application = qobject_cast<CApplication*>(QCoreApplication::instance());
    return application ? application->settings() : nullptr;
}

} // namespace

CInitialSetupScreenController::CInitialSetupScreenController(QObject* parent)
    : CInitialSetupScreenController(applicationSettings(), parent)
{
}

CInitialSetupScreenController::CInitialSetupScreenController(CSettings* settings, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
{
}

QStringList CInitialSetupScreenController::availableTranslations() const
{
    return CSettings::languageNames();
}

int CInitialSetupScreenController::initialLanguageIndex() const
{
    return m_settings ? CSettings::localeCodes().indexOf(m_settings->localeName()) : -1;
}

void CInitialSetupScreenController::changeLanguage(int languageIndex)
{
    const QStringList codes = CSettings::localeCodes();
    if (!m_settings || languageIndex < 0 || languageIndex >= codes.size())
        return;
    m_settings->setLocaleName(codes.at(languageIndex));
}

bool CInitialSetupScreenController::saveSettings(bool simpleMode)
{
    if (!m_settings)
        return true;
    m_settings->setWorkType(simpleMode ? CSettings::WorkWithDefaultDirectories : CSettings::WorkWithProjects);
    setSaveResult(m_settings->save());
    return m_saveErrorMessage.isEmpty();
}

void CInitialSetupScreenController::terminateApp()
{
    if (auto* application = qobject_cast<CApplication*>(QCoreApplication::instance()))
        application->terminate(false);
    else
        QCoreApplication::quit();
}

void CInitialSetupScreenController::setSaveResult(CSettingsStore::Result result)
{
    const QString message = TranslationHelper::settingsNotSavedMessage(result, CSettingsStore::fileName());
    if (message == m_saveErrorMessage)
        return;
    m_saveErrorMessage = message;
    emit saveErrorMessageChanged();
}
