#pragma once

#include "application/CSettingsStore.h"

#include <QObject>
#include <QString>

class CSettings;

// One screen's save of the settings: whether it is on its way to the disk and why the last one
// wrote nothing. The screens that save (settings, initial set-up) show both; a screen that
// applies a setting of its own (overlay, web login, the start's reminders) saves through it as
// "SettingsSave". GUI thread.
class CSettingsSave : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool saving READ saving NOTIFY savingChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorMessageChanged)

public:
    explicit CSettingsSave(QObject* parent = nullptr);

    // Starts saving the application's settings, as start() does.
    Q_INVOKABLE void save();

    bool saving() const { return m_task != 0; }
    // Why the last save wrote nothing, for the operator; empty after a save that wrote.
    QString errorMessage() const { return m_errorMessage; }

    // Starts saving settings (null: nothing to save, which counts as written); finished() comes
    // after the call in every case. Nothing while a save of this object is on its way.
    void start(CSettings* settings);

signals:
    void savingChanged();
    void errorMessageChanged();
    void finished(bool saved);

private:
    void onFinished(uint taskId, CSettingsStore::Result result);

    QString m_errorMessage;
    uint m_task = 0;
};
