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

void CInitialSetupScreenController::saveSettings(bool simpleMode)
{
    if (m_saveTask != 0)
        return;
    if (m_settings) {
        m_settings->setWorkType(simpleMode ? CSettings::WorkWithDefaultDirectories : CSettings::WorkWithProjects);
        connect(m_settings, &CSettings::saveFinished, this, &CInitialSetupScreenController::onSaveFinished,
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

void CInitialSetupScreenController::terminateApp()
{
    if (auto* application = qobject_cast<CApplication*>(QCoreApplication::instance()))
        application->terminate(false);
    else
        QCoreApplication::quit();
}

void CInitialSetupScreenController::onSaveFinished(uint taskId, CSettingsStore::Result result)
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
