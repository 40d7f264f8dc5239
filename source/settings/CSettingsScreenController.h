#pragma once

#include "application/CSettingsStore.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

class CAppRuntimeData;
class CSettings;

// The settings screen's controller. The screen keeps its working values itself and writes
// them into the settings on Apply; this object offers the fixed lists, the Wi-Fi interfaces,
// clearing the open project when the work type changes, and saving. Created by QML; the
// settings and runtime data belong to the application. GUI thread.
class CSettingsScreenController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool wifiInterfaceChangeSupported READ wifiInterfaceChangeSupported CONSTANT)
    Q_PROPERTY(QStringList availableTranslations READ availableTranslations CONSTANT)
    // Why the last save wrote nothing, for the operator; empty after a save that wrote.
    Q_PROPERTY(QString saveErrorMessage READ saveErrorMessage NOTIFY saveErrorMessageChanged)

public:
    explicit CSettingsScreenController(QObject* parent = nullptr);
    // Over other settings and runtime data than the application's (tests).
    CSettingsScreenController(CSettings* settings, CAppRuntimeData* runtimeData, QObject* parent = nullptr);

    bool wifiInterfaceChangeSupported() const { return true; }
    QStringList availableTranslations() const;
    QString saveErrorMessage() const { return m_saveErrorMessage; }

    Q_INVOKABLE QString localeCodeFromIndex(int index) const;
    Q_INVOKABLE int indexFromLocaleCode(const QString& code) const;
    Q_INVOKABLE QStringList queryWifiInterfaces() const;
    Q_INVOKABLE void resetProjectsInfo();
    // False when the store refused the settings (nothing was written); the screen tells the
    // operator.
    Q_INVOKABLE bool saveSettings();

signals:
    void saveErrorMessageChanged();

private:
    void setSaveResult(CSettingsStore::Result result);

    QString m_saveErrorMessage;
    QPointer<CSettings> m_settings;
    QPointer<CAppRuntimeData> m_runtimeData;
};
