#include "CAppRuntimeData.h"
#include "CSettingsStoreService.h"

#include <QDir>
#include <QSettings>

namespace {

const char kGroup[] = "RuntimeData";

bool isExistingFolder(const QString& path)
{
    return !path.trimmed().isEmpty() && QDir(path).exists();
}

} // namespace

CAppRuntimeData::CAppRuntimeData(QObject* parent)
    : QObject(parent)
{
    // QML indexes and iterates the survey list through this registration.
    static const int surveyListType = qRegisterMetaType<QVector<SurveyPtr>>("QVector<SurveyPtr>");
    Q_UNUSED(surveyListType)
    qRegisterMetaType<StartUpSurveyParameters>("StartUpSurveyParameters");
    qRegisterMetaType<CSettingsStore::Result>("CSettingsStore::Result");
}

CAppRuntimeData::~CAppRuntimeData() = default;

void CAppRuntimeData::load()
{
    // A pipe in the store's place would keep QSettings, and the window, waiting for ever.
    if (!CSettingsStore::mayBeRead(CSettingsStore::fileName()))
        return;
    QSettings store(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"));
    store.beginGroup(QLatin1String(kGroup));
    if (store.value(QStringLiteral("Version")).toInt() != 1) {
        store.endGroup();
        return;
    }

    const QString projectName = store.value(QStringLiteral("LastProjectName")).toString();
    const QString projectPath = store.value(QStringLiteral("LastProjectPath")).toString();
    if (!projectName.isEmpty() && isExistingFolder(projectPath)) {
        m_lastProjectName = projectName;
        m_lastProjectPath = projectPath;
        emit lastProjectNameChanged();
    }

    const QString photos = store.value(QStringLiteral("LastPhotoFolder")).toString();
    if (isExistingFolder(photos))
        setLastPhotoFolder(photos);
    const QString videos = store.value(QStringLiteral("LastVideoFolder")).toString();
    if (isExistingFolder(videos))
        setLastVideoFolder(videos);
    const QString downloads = store.value(QStringLiteral("LastDownloadFolder")).toString();
    if (isExistingFolder(downloads))
        setLastDownloadFolder(downloads);
    store.endGroup();
}

uint CAppRuntimeData::save()
{
    // The same store as the settings, with the remembered web password in it: one line of
    // writes for both.
    CSettingsStoreService* store = CSettingsStoreService::instance();
    connect(store, &CSettingsStoreService::groupWritten, this, &CAppRuntimeData::onStoreGroupWritten,
            Qt::UniqueConnection);
    const uint taskId = store->writeGroup(QLatin1String(kGroup),
                                          {{QStringLiteral("LastProjectName"), m_lastProjectName},
                                           {QStringLiteral("LastProjectPath"), m_lastProjectPath},
                                           {QStringLiteral("LastPhotoFolder"), m_lastPhotoFolder},
                                           {QStringLiteral("LastVideoFolder"), m_lastVideoFolder},
                                           {QStringLiteral("LastDownloadFolder"), m_lastDownloadFolder}});
    m_saveTasks.insert(taskId);
    return taskId;
}

void CAppRuntimeData::onStoreGroupWritten(uint taskId, CSettingsStore::Result result)
{
    if (m_saveTasks.remove(taskId))
        emit saveFinished(taskId, result);
}

void CAppRuntimeData::setLastProject(const QString& name, const QString& path)
{
    m_lastProjectName = name;
    m_lastProjectPath = path;
    emit lastProjectNameChanged();
}

void CAppRuntimeData::setLastPhotoFolder(const QString& folder)
{
    if (m_lastPhotoFolder == folder)
        return;
    m_lastPhotoFolder = folder;
    emit lastPhotoFolderChanged();
}

void CAppRuntimeData::setLastVideoFolder(const QString& folder)
{
    if (m_lastVideoFolder == folder)
        return;
    m_lastVideoFolder = folder;
    emit lastVideoFolderChanged();
}

void CAppRuntimeData::setLastDownloadFolder(const QString& folder)
{
    if (m_lastDownloadFolder == folder)
        return;
    m_lastDownloadFolder = folder;
    emit lastDownloadFolderChanged();
}

void CAppRuntimeData::setPhotoDirectory(const QString& folder)
{
    if (m_photoDirectory == folder)
        return;
    m_photoDirectory = folder;
    emit photoDirectoryChanged();
}

void CAppRuntimeData::setVideoDirectory(const QString& folder)
{
    if (m_videoDirectory == folder)
        return;
    m_videoDirectory = folder;
    emit videoDirectoryChanged();
}

void CAppRuntimeData::setCurrentProject(const SurveyProjectPtr& project, const QString& path)
{
    if (m_currentProject == project)
        return;
    m_currentProject = project;
    m_currentProjectPath = path;
    emit currentProjectChanged();
    emit projectSelectedChanged();
    // The manholes held belong to the project that was current; the next screen that needs
    // them loads the new project's.
    setManholeList(ManholeListPtr());
}

void CAppRuntimeData::setCurrentSurvey(const SurveyPtr& survey, bool force)
{
    if (m_currentSurvey == survey && !force)
        return;
    m_currentSurvey = survey;
    emit currentSurveyChanged();
    emit surveySelectedChanged();
}

void CAppRuntimeData::setManholeList(const ManholeListPtr& list)
{
    if (m_manholeList == list)
        return;
    m_manholeList = list;
    emit manholeListChanged();
}

void CAppRuntimeData::setStartUpProjectName(const QString& name)
{
    if (m_startUpProjectName == name)
        return;
    m_startUpProjectName = name;
    emit startUpProjectNameChanged();
    emit startUpProjectParamsAvailabilityChanged();
}

void CAppRuntimeData::setStartUpSurveyParams(const StartUpSurveyParameters& parameters)
{
    if (m_startUpSurveyParams == parameters)
        return;
    m_startUpSurveyParams = parameters;
    emit startUpSurveyParamsChanged();
    emit startUpProjectParamsAvailabilityChanged();
}

bool CAppRuntimeData::startUpProjectParamsAvailable() const
{
    return !m_startUpProjectName.isEmpty() || m_startUpSurveyParams.isSet();
}

int CAppRuntimeData::queryCurrentSurveyIndex() const
{
    if (!m_currentProject)
        return -1;
    const QVector<SurveyPtr> surveys = m_currentProject->surveys();
    for (int i = 0; i < surveys.size(); ++i) {
        if (surveys.at(i) == m_currentSurvey && m_currentSurvey)
            return i;
    }
    return -1;
}

QVariant CAppRuntimeData::querySurveyList() const
{
    if (!m_currentProject)
        return QVariant();
    return QVariant::fromValue(m_currentProject->surveys());
}
