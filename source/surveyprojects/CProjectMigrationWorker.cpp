#include "surveyprojects/CProjectMigrationWorker.h"

#include "surveyprojects/CProjectXmlReader.h"
#include "surveyprojects/ProjectFiles.h"

#include "CLogger.h"

#include <QDir>
#include <QHash>
#include <QSet>

using Tovrin::Logging::CLogger;

namespace {

const QString LogCategory = QStringLiteral("ProjectMigration");

struct FolderProject
{
    QString folder;
    SurveyProjectPtr project;
};

QVector<FolderProject> readProjects(const QString& root)
{
    QVector<FolderProject> projects;
    if (root.isEmpty())
        return projects;
    const QDir dir(root);
    const QStringList folders = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& folder : folders) {
        CProjectXmlReader reader;
        const QString file = dir.absoluteFilePath(folder) + QLatin1Char('/') + QLatin1String(ProjectFiles::ProjectFileName);
        SurveyProjectPtr project = reader.read(file, true);
        if (project)
            projects.append({folder, project});
    }
    return projects;
}

// A name from a project file or from the user becomes a folder name; it must stay one folder
// below the root.
bool isSafeFolderName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

} // namespace

CProjectMigrationWorker::CProjectMigrationWorker(QObject* parent)
    : QObject(parent)
{
}

void CProjectMigrationWorker::init(const QString& rootProjectPath, const QString& updatedRootProjectPath)
{
    m_rootProjectPath = rootProjectPath;
    m_updatedRootProjectPath = updatedRootProjectPath;
}

QString CProjectMigrationWorker::folderOf(const QString& root, const QString& name) const
{
    QString folder = root;
    if (!folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    return folder + name;
}

void CProjectMigrationWorker::start()
{
    m_items.clear();
    const QVector<FolderProject> oldProjects = readProjects(m_rootProjectPath);
    const QVector<FolderProject> newProjects = readProjects(m_updatedRootProjectPath);

    QSet<QString> names;
    QHash<QUuid, QString> namesById;
    for (const FolderProject& entry : newProjects) {
        const SurveyProjectPtr& project = entry.project;
        names.insert(project->name());
        namesById.insert(project->id(), project->name());
    }

    for (const FolderProject& entry : oldProjects) {
        const SurveyProjectPtr& project = entry.project;
        MigrationItem item;
        item.taskId = static_cast<int>(++m_lastItemId);
        item.name = project->name();
        item.folder = entry.folder;
        const bool idKnown = namesById.contains(project->id());
        const bool nameKnown = names.contains(project->name());
        if (idKnown && nameKnown) {
            item.kind = IdAndNameCollision;
            item.targetName = namesById.value(project->id());
        } else if (idKnown) {
            item.kind = IdCollision;
            item.targetName = namesById.value(project->id());
        } else if (nameKnown) {
            item.kind = NameCollision;
            item.targetName = project->name();
        } else {
            item.kind = Move;
            item.targetName = project->name();
        }
        m_items.append(item);
    }

    m_total = static_cast<quint32>(m_items.size());
    if (m_items.isEmpty())
        emit migrationDone();
    else
        postNextItem();
}

void CProjectMigrationWorker::postNextItem()
{
    QMetaObject::invokeMethod(this, "processNextItem", Qt::QueuedConnection);
}

void CProjectMigrationWorker::processNextItem()
{
    const double left = m_items.size();
    const int percent = m_total == 0 ? 100 : static_cast<int>((m_total - left) * 100.0 / m_total);
    emit migrationProgress(percent);
    if (m_items.isEmpty()) {
        emit migrationDone();
        return;
    }
    const MigrationItem item = m_items.first();
    switch (item.kind) {
    case Move:
        moveProject(item.taskId, item.name);
        break;
    case NameCollision:
        emit nameCollision(item.taskId, item.name);
        break;
    case IdCollision:
    case IdAndNameCollision:
        emit idCollision(item.taskId, item.name, item.targetName);
        break;
    }
}

int CProjectMigrationWorker::findItem(int taskId) const
{
    for (int i = 0; i < m_items.size(); ++i) {
        if (m_items.at(i).taskId == taskId)
            return i;
    }
    return -1;
}

void CProjectMigrationWorker::moveProject(int taskId, const QString& targetName)
{
    const int index = findItem(taskId);
    if (index < 0) {
        postNextItem();
        return;
    }
    MigrationItem& item = m_items[index];
    if (!isSafeFolderName(targetName)) {
        // Asked again, as for a name whose folder exists.
        CLogger::logMessage(CLogger::LogLevelWarning, LogCategory, "Unusable project folder name.", {targetName});
        item.kind = (item.kind == IdCollision || item.kind == IdAndNameCollision) ? IdAndNameCollision : NameCollision;
        postNextItem();
        return;
    }
    item.targetName = targetName;
    const QString source = QDir(folderOf(m_rootProjectPath, item.folder)).absolutePath();
    const QString target = QDir(folderOf(m_updatedRootProjectPath, targetName)).absolutePath();
    if (!QFileInfo::exists(target)) {
        if (!QDir().rename(source, target)) {
            CLogger::logMessage(CLogger::LogLevelError, LogCategory, "Cannot move project.", {source, target});
            emit migrationFailed();
            return;
        }
        m_items.removeAt(index);
    } else {
        item.kind = (item.kind == IdCollision || item.kind == IdAndNameCollision) ? IdAndNameCollision : NameCollision;
    }
    postNextItem();
}

void CProjectMigrationWorker::overwrite(int taskId)
{
    const int index = findItem(taskId);
    if (index < 0) {
        postNextItem();
        return;
    }
    const QString targetName = m_items.at(index).targetName;
    if (!isSafeFolderName(targetName)) {
        moveProject(taskId, targetName);
        return;
    }
    QDir target(folderOf(m_updatedRootProjectPath, targetName));
    if (target.exists() && !target.removeRecursively()) {
        CLogger::logMessage(CLogger::LogLevelError, LogCategory, "Cannot remove project.", {target.absolutePath()});
        emit migrationFailed();
        return;
    }
    moveProject(taskId, targetName);
}

void CProjectMigrationWorker::rename(int taskId, const QString& newName)
{
    moveProject(taskId, newName);
}

void CProjectMigrationWorker::remove(int taskId)
{
    const int index = findItem(taskId);
    if (index < 0) {
        postNextItem();
        return;
    }
    QDir source(folderOf(m_rootProjectPath, m_items.at(index).folder));
    if (source.exists() && !source.removeRecursively()) {
        CLogger::logMessage(CLogger::LogLevelError, LogCategory, "Cannot remove project.", {source.absolutePath()});
        emit migrationFailed();
        return;
    }
    m_items.removeAt(index);
    postNextItem();
}
