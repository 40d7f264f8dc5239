#include "settings/CSettingsSave.h"

#include "application/CApplication.h"
#include "application/CSettings.h"
#include "messages/TranslationHelper.h"

#include <QCoreApplication>

CSettingsSave::CSettingsSave(QObject* parent)
    : QObject(parent)
{
}

void CSettingsSave::save()
{
    auto* application = qobject_cast<CApplication*>(QCoreApplication::instance());
    start(application ? application->settings() : nullptr);
}

void CSettingsSave::start(CSettings* settings)
{
    if (m_task != 0)
        return;
    if (settings) {
        connect(settings, &CSettings::saveFinished, this, &CSettingsSave::onFinished, Qt::UniqueConnection);
        m_task = settings->save();
    } else {
        // Nothing to save; the answer still comes after the call, as it always does.
        m_task = ~0u;
        QMetaObject::invokeMethod(
            this, [this] { onFinished(m_task, CSettingsStore::Written); }, Qt::QueuedConnection);
    }
    emit savingChanged();
}

void CSettingsSave::onFinished(uint taskId, CSettingsStore::Result result)
{
    if (taskId != m_task)
        return;
    m_task = 0;
    const QString message = TranslationHelper::settingsNotSavedMessage(result, CSettingsStore::fileName());
    if (message != m_errorMessage) {
        m_errorMessage = message;
        emit errorMessageChanged();
    }
    emit savingChanged();
    emit finished(result == CSettingsStore::Written);
}
