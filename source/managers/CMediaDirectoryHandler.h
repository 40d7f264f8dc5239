#pragma once

#include <QObject>
#include <QPointer>

class CAppRuntimeData;
class CSettings;

// Decides into which folders photos and videos go while an inspection, gallery or survey
// screen is open, and publishes them as the runtime data's photoDirectory and videoDirectory.
// Owned by the application, GUI thread. Settings and runtime data are not owned; without
// them the application's are used.
class CMediaDirectoryHandler : public QObject
{
    Q_OBJECT

public:
    explicit CMediaDirectoryHandler(QObject* parent = nullptr);
    CMediaDirectoryHandler(CSettings* settings, CAppRuntimeData* appRuntimeData, QObject* parent = nullptr);
    ~CMediaDirectoryHandler() override;

    void setupMediaDirectories();
    void resetMediaDirectories();

    // True once the project media folders have been set up (until the next reset).
    bool mediaDirectoriesSetUp() const;

private:
    CSettings* settings() const;
    CAppRuntimeData* appRuntimeData() const;

    QPointer<CSettings> m_settings;
    QPointer<CAppRuntimeData> m_appRuntimeData;
    bool m_projectDirectoriesSetUp = false;
};
