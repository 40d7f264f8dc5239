#pragma once

#include "application/CSettingsStore.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

class CSettings;

// Controller of the initial set-up screen: language and work mode on the first start. It
// works on the application's settings and holds no data of its own.
class CInitialSetupScreenController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList availableTranslations READ availableTranslations CONSTANT)
    Q_PROPERTY(int initialLanguageIndex READ initialLanguageIndex CONSTANT)
    // Why the last save wrote nothing, for the operator; empty after a save that wrote.
    Q_PROPERTY(QString saveErrorMessage READ saveErrorMessage NOTIFY saveErrorMessageChanged)

public:
    explicit CInitialSetupScreenController(QObject* parent = nullptr);
    // For a settings object other than the application's (tests).
    CInitialSetupScreenController(CSettings* settings, QObject* parent);

    QStringList availableTranslations() const;
    int initialLanguageIndex() const;
    QString saveErrorMessage() const { return m_saveErrorMessage; }

    Q_INVOKABLE void changeLanguage(int languageIndex);
    // False when the store refused the settings (nothing was written): the next start would be
    // a first start again, so the screen tells the operator.
    Q_INVOKABLE bool saveSettings(bool simpleMode);
    Q_INVOKABLE void terminateApp();

signals:
    void saveErrorMessageChanged();

private:
    void setSaveResult(CSettingsStore::Result result);

    QString m_saveErrorMessage;
    QPointer<CSettings> m_settings;
};
