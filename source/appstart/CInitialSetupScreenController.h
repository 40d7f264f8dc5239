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

public:
    explicit CInitialSetupScreenController(QObject* parent = nullptr);
    // For a settings object other than the application's (tests).
    CInitialSetupScreenController(CSettings* settings, QObject* parent);

    QStringList availableTranslations() const;
    int initialLanguageIndex() const;

    Q_INVOKABLE void changeLanguage(int languageIndex);
    Q_INVOKABLE void saveSettings(bool simpleMode);
    Q_INVOKABLE void terminateApp();

private:
    QPointer<CSettings> m_settings;
};
