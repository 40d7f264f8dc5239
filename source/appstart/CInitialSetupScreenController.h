#pragma once

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
    // Where the settings are kept, for the message when they cannot be saved.
    Q_PROPERTY(QString settingsFileName READ settingsFileName CONSTANT)

public:
    explicit CInitialSetupScreenController(QObject* parent = nullptr);
    // For a settings object other than the application's (tests).
    CInitialSetupScreenController(CSettings* settings, QObject* parent);

    QStringList availableTranslations() const;
    int initialLanguageIndex() const;
    QString settingsFileName() const;

    Q_INVOKABLE void changeLanguage(int languageIndex);
    // False when the store refused the settings (nothing was written): the next start would be
    // a first start again, so the screen tells the operator.
    Q_INVOKABLE bool saveSettings(bool simpleMode);
    Q_INVOKABLE void terminateApp();

private:
    QPointer<CSettings> m_settings;
};
