#include "appstart/CInitialSetupScreenController.h"

#include "application/CApplication.h"
#include "application/CSettings.h"

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
    connect(&m_save, &CSettingsSave::savingChanged, this, &CInitialSetupScreenController::savingChanged);
    connect(&m_save, &CSettingsSave::errorMessageChanged, this, &CInitialSetupScreenController::saveErrorMessageChanged);
    connect(&m_save, &CSettingsSave::finished, this, &CInitialSetupScreenController::saveFinished);
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

void CInitialSetupScreenController::saveSettings(bool simpleMode)
{
    if (m_save.saving())
        return;
    if (m_settings)
        m_settings->setWorkType(simpleMode ? CSettings::WorkWithDefaultDirectories : CSettings::WorkWithProjects);
    m_save.start(m_settings);
}

void CInitialSetupScreenController::terminateApp()
{
    if (auto* application = qobject_cast<CApplication*>(QCoreApplication::instance()))
        application->terminate(false);
    else
        QCoreApplication::quit();
}

