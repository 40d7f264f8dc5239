#include "settings/CSettingsScreenController.h"

#include "application/CAppRuntimeData.h"
#include "application/CApplication.h"
#include "application/CSettings.h"

#include "CUlxSystemsLibrary.h"
#include "communication/CSessionManager.h"

#include <QCoreApplication>

namespace {

CApplication* application()
{
    return qobject_cast<CApplication*>(QCoreApplication::instance());
}

} // namespace

CSettingsScreenController::CSettingsScreenController(QObject* parent)
    : CSettingsScreenController(application() ? application()->settings() : nullptr,
                                application() ? application()->appRuntimeData() : nullptr, parent)
{
}

CSettingsScreenController::CSettingsScreenController(CSettings* settings, CAppRuntimeData* runtimeData,
                                                     QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_runtimeData(runtimeData)
{
    connect(&m_save, &CSettingsSave::savingChanged, this, &CSettingsScreenController::savingChanged);
    connect(&m_save, &CSettingsSave::errorMessageChanged, this, &CSettingsScreenController::saveErrorMessageChanged);
    connect(&m_save, &CSettingsSave::finished, this, &CSettingsScreenController::saveFinished);
}

QStringList CSettingsScreenController::availableTranslations() const
{
    return CSettings::languageNames();
}

QString CSettingsScreenController::localeCodeFromIndex(int index) const
{
    const QStringList codes = CSettings::localeCodes();
    return index >= 0 && index < codes.size() ? codes.at(index) : QString();
}

int CSettingsScreenController::indexFromLocaleCode(const QString& code) const
{
    return CSettings::localeCodes().indexOf(code);
}

QStringList CSettingsScreenController::queryWifiInterfaces() const
{
    const Ulx::Communication::CSessionManager* manager = Ulx::CUlxSystemsLibrary::sessionManager();
    return manager ? manager->queryWifiInterfaces() : QStringList();
}

void CSettingsScreenController::resetProjectsInfo()
{
    if (!m_runtimeData)
        return;
    m_runtimeData->setLastProject(QString(), QString());
    m_runtimeData->setCurrentSurvey(SurveyPtr(), false);
    m_runtimeData->setCurrentProject(SurveyProjectPtr(), QString());
}

void CSettingsScreenController::saveSettings()
{
    m_save.start(m_settings);
}

