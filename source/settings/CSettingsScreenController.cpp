#include "settings/CSettingsScreenController.h"

#include "application/CAppRuntimeData.h"
#include "application/CApplication.h"
#include "application/CSettings.h"
#include "messages/TranslationHelper.h"

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
    if (m_saveTask != 0)
        return;
    if (m_settings) {
        connect(m_settings, &CSettings::saveFinished, this, &CSettingsScreenController::onSaveFinished,
                Qt::UniqueConnection);
        m_saveTask = m_settings->save();
    } else {
        // Nothing to save; the answer still comes after the call, as it always does.
        m_saveTask = ~0u;
        QMetaObject::invokeMethod(
            this, [this] { onSaveFinished(m_saveTask, CSettingsStore::Written); }, Qt::QueuedConnection);
    }
    emit savingChanged();
}

void CSettingsScreenController::onSaveFinished(uint taskId, CSettingsStore::Result result)
{
    if (taskId != m_saveTask)
        return;
    m_saveTask = 0;
    const QString message = TranslationHelper::settingsNotSavedMessage(result, CSettingsStore::fileName());
    if (message != m_saveErrorMessage) {
        m_saveErrorMessage = message;
        emit saveErrorMessageChanged();
    }
    emit savingChanged();
    emit saveFinished(result == CSettingsStore::Written);
}
