// The settings store put into a state in which a save must write nothing. Header only; a test
// includes "support/SettingsStoreConditions.h".
#pragma once

#include "application/CSettingsStore.h"
#include "support/TestVolume.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

// condition: "folder" or "pipe" in the store's place, "dangling" (a link to nothing in
// elsewhere), "link to folder" (to elsewhere), "foreign" (another user's file), "read-only"
// (its folder) or "full" (its drive; volume holds the mount until it goes). The store must
// exist. False when it cannot be done: *skipReason says so when this machine lacks a right.
inline bool makeStoreRefuseSaves(const QString& condition, const QString& elsewhere, TestVolume& volume,
                                 QString* skipReason)
{
    const QString store = CSettingsStore::fileName();
    const QString folder = QFileInfo(store).path();
    const QByteArray path = QFile::encodeName(store);
    if (condition == QLatin1String("folder"))
        return QFile::remove(store) && QDir().mkpath(store + QStringLiteral("/inside"));
    if (condition == QLatin1String("pipe"))
        return QFile::remove(store) && ::mkfifo(path.constData(), 0600) == 0;
    if (condition == QLatin1String("dangling"))
        return QFile::remove(store) && QFile::link(elsewhere + QStringLiteral("/none.conf"), store);
    if (condition == QLatin1String("link to folder"))
        return QFile::remove(store) && QFile::link(elsewhere, store);
    if (condition == QLatin1String("foreign")) {
        *skipReason = QStringLiteral("making a file of another user needs root");
        return ::chown(path.constData(), 65534, 65534) == 0;
    }
    *skipReason = QStringLiteral("mounting needs the right to mount (root in CI)");
    if (condition == QLatin1String("read-only"))
        return volume.makeReadOnly(folder);
    QFile file(store);
    const QByteArray content = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    file.close();
    if (!volume.mountTmpfs(folder, 64))
        return false;
    skipReason->clear();
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.flush()
        && TestVolume::fill(folder);
}

// The store refusing saves under condition (makeStoreRefuseSaves) for as long as this lives;
// then the store as it was. ready() false: it could not be done, *skipReason saying why when
// this machine lacks a right.
class RefusingSettingsStore
{
public:
    RefusingSettingsStore(const QString& condition, QString* skipReason)
        : m_store(CSettingsStore::fileName())
    {
        QFile::remove(m_kept);
        if (!QFileInfo::exists(m_store)) {
            QDir().mkpath(QFileInfo(m_store).path());
            QFile(m_store).open(QIODevice::WriteOnly);
        }
        m_ready = QFile::copy(m_store, m_kept) && makeStoreRefuseSaves(condition, m_elsewhere.path(), m_volume, skipReason);
    }
    ~RefusingSettingsStore()
    {
        m_volume.unmount();
        QDir(m_store).removeRecursively();
        QFile::remove(m_store);
        QFile::rename(m_kept, m_store);
    }
    bool ready() const { return m_ready; }

private:
    const QString m_store;
    const QString m_kept = m_store + QStringLiteral(".kept");
    QTemporaryDir m_elsewhere;
    TestVolume m_volume;
    bool m_ready = false;
};
