#pragma once

#include "settings/CSettingsSave.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

class CSettings;

// Controller of the initial set-up screen: language and work mode on the first start. It
// works on the application's settings and holds no data of its own. GUI thread; the save is
// written on the store's thread and its result comes back later.
class CInitialSetupScreenController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList availableTranslations READ availableTranslations CONSTANT)
    Q_PROPERTY(int initialLanguageIndex READ initialLanguageIndex CONSTANT)
    // Why the last save wrote nothing, for the operator; empty after a save that wrote.
    Q_PROPERTY(QString saveErrorMessage READ saveErrorMessage NOTIFY saveErrorMessageChanged)
    // A save is on its way to the disk.
    Q_PROPERTY(bool saving READ saving NOTIFY savingChanged)

public:
    explicit CInitialSetupScreenController(QObject* parent = nullptr);
    // For a settings object other than the application's (tests).
    CInitialSetupScreenController(CSettings* settings, QObject* parent);

    QStringList availableTranslations() const;
    int initialLanguageIndex() const;
    QString saveErrorMessage() const { return m_save.errorMessage(); }
    bool saving() const { return m_save.saving(); }

    Q_INVOKABLE void changeLanguage(int languageIndex);
    // Stores the work mode and starts saving the settings; saveFinished() tells how it ended.
    // Nothing while a save of this screen is on its way.
    Q_INVOKABLE void saveSettings(bool simpleMode);
    Q_INVOKABLE void terminateApp();

signals:
    void saveErrorMessageChanged();
    void savingChanged();
    // saved false: the store refused the settings (nothing was written) for the reason in
    // saveErrorMessage; the next start would be a first start again, so the screen tells the
    // operator.
    void saveFinished(bool saved);

private:
    CSettingsSave m_save;
    QPointer<CSettings> m_settings;
};
