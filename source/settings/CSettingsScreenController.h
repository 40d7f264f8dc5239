#pragma once

#include "settings/CSettingsSave.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

class CAppRuntimeData;
class CSettings;

// The settings screen's controller. The screen keeps its working values itself and writes
// them into the settings on Apply; this object offers the fixed lists, the Wi-Fi interfaces,
// clearing the open project when the work type changes, and saving. Created by QML; the
// settings and runtime data belong to the application. GUI thread; the save itself is written
// on the store's thread and its result comes back later.
class CSettingsScreenController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool wifiInterfaceChangeSupported READ wifiInterfaceChangeSupported CONSTANT)
    Q_PROPERTY(QStringList availableTranslations READ availableTranslations CONSTANT)
    // Why the last save wrote nothing, for the operator; empty after a save that wrote.
    Q_PROPERTY(QString saveErrorMessage READ saveErrorMessage NOTIFY saveErrorMessageChanged)
    // A save is on its way to the disk.
    Q_PROPERTY(bool saving READ saving NOTIFY savingChanged)

public:
    explicit CSettingsScreenController(QObject* parent = nullptr);
    // Over other settings and runtime data than the application's (tests).
    CSettingsScreenController(CSettings* settings, CAppRuntimeData* runtimeData, QObject* parent = nullptr);

    bool wifiInterfaceChangeSupported() const { return true; }
    QStringList availableTranslations() const;
    QString saveErrorMessage() const { return m_save.errorMessage(); }
    bool saving() const { return m_save.saving(); }

    Q_INVOKABLE QString localeCodeFromIndex(int index) const;
    Q_INVOKABLE int indexFromLocaleCode(const QString& code) const;
    Q_INVOKABLE QStringList queryWifiInterfaces() const;
    Q_INVOKABLE void resetProjectsInfo();
    // Starts saving the settings; saveFinished() tells how it ended. Nothing while a save of
    // this screen is on its way.
    Q_INVOKABLE void saveSettings();

signals:
    void saveErrorMessageChanged();
    void savingChanged();
    // saved false: the store refused the settings (nothing was written) for the reason in
    // saveErrorMessage, which the screen tells the operator.
    void saveFinished(bool saved);

private:
    CSettingsSave m_save;
    QPointer<CSettings> m_settings;
    QPointer<CAppRuntimeData> m_runtimeData;
};
