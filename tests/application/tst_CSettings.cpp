#include <QtTest>

#include <QProcess>
#include <QSemaphore>
#include <QSettings>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <atomic>
#include <climits>
#include <cstdarg>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <thread>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "application/CAppRuntimeData.h"
#include "application/CSettings.h"
#include "application/CSettingsStoreService.h"
#include "application/PathHelpers.h"
#include "flavors/SystemAddresses.h"
#include "support/LogText.h"
#include "support/ProcessState.h"
#include "support/SettingsSaving.h"
#include "support/SettingsStoreConditions.h"

// The child processes are this executable started again with "--child".

namespace {

// While a test records, the disk calls of this process in their order: this executable's own
// fsync, fdatasync and renameat stand before the C library's.
struct DiskCall
{
    QByteArray call;
    // What is synced, or the name renamed to; links resolved.
    QString path;
    bool onGuiThread;
};
std::atomic<bool> recordingDiskCalls(false);
QMutex diskCallMutex;
QVector<DiskCall> diskCalls;
Qt::HANDLE guiThread = nullptr;

void noteDiskCall(const char* call, int fd, const char* name = nullptr)
{
    if (!recordingDiskCalls)
        return;
    char target[PATH_MAX];
    const ssize_t length = ::readlink(QByteArray("/proc/self/fd/" + QByteArray::number(fd)).constData(), target,
                                      sizeof target);
    QString path = QFile::decodeName(QByteArray(target, int(qMax<ssize_t>(length, 0))));
    if (name)
        path += QLatin1Char('/') + QFile::decodeName(name);
    QMutexLocker locker(&diskCallMutex);
    diskCalls.append({call, path, QThread::currentThreadId() == guiThread});
}

} // namespace

extern "C" int fsync(int fd)
{
    noteDiskCall("fsync", fd);
    return reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"))(fd);
}

extern "C" int fdatasync(int fd)
{
    noteDiskCall("fdatasync", fd);
    return reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fdatasync"))(fd);
}

extern "C" int renameat(int fromFolder, const char* from, int toFolder, const char* to) noexcept
{
    noteDiskCall("renameat", toFolder, to);
    using Rename = int (*)(int, const char*, int, const char*);
    return reinterpret_cast<Rename>(::dlsym(RTLD_NEXT, "renameat"))(fromFolder, from, toFolder, to);
}

namespace {
// When set, the next read of the store (an open of its name in its folder) finds that another
// instance of the program has just renamed its new store over it: these bytes.
QMutex replacementMutex;
QByteArray replacementOnNextRead;
} // namespace

extern "C" int openat(int folder, const char* name, int flags, ...)
{
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list arguments;
        va_start(arguments, flags);
        mode = mode_t(va_arg(arguments, int));
        va_end(arguments);
    }
    using Open = int (*)(int, const char*, int, ...);
    const auto open = reinterpret_cast<Open>(::dlsym(RTLD_NEXT, "openat"));
    QByteArray replacement;
    if (!(flags & O_CREAT) && qstrcmp(name, "Culvertix.conf") == 0) {
        QMutexLocker locker(&replacementMutex);
        replacement = std::exchange(replacementOnNextRead, QByteArray());
    }
    if (!replacement.isEmpty()) {
        const char newName[] = ".other-instance.conf";
        const int file = open(folder, newName, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const bool written = file >= 0
            && ::write(file, replacement.constData(), size_t(replacement.size())) == ssize_t(replacement.size());
        if (file >= 0)
            ::close(file);
        if (!written || ::renameat(folder, newName, folder, name) != 0)
            std::fprintf(stderr, "the store could not be replaced\n");
    }
    return open(folder, name, flags, mode);
}

namespace {

int mode(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

// A SIGSTOP reaches a process running on another core a moment after kill() returns, and each
// of its threads (the save's disk thread too) stops on its own: the process is stopped once the
// kernel says so of every thread ('T'). False when it ended on the way.
bool stopProcess(qint64 pid)
{
    ::kill(pid_t(pid), SIGSTOP);
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (;;) {
        const QStringList threads = QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        if (threads.isEmpty())
            return false;
        bool allStopped = true;
        for (const QString& thread : threads) {
            const char state = processState(tasks + QLatin1Char('/') + thread + QStringLiteral("/stat"));
            if (state == 'Z' || state == 'X' || state == 0)
                return false;
            allStopped = allStopped && state == 'T';
        }
        if (allStopped)
            return true;
        std::this_thread::yield();
    }
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Saves for ever, each time with another password; the parent stops and kills it.
int runSavingChild()
{
    CSettings settings;
    for (int i = 0;; ++i) {
        settings.setWebPassword(QStringLiteral("secret %1").arg(i));
        saveAndWait(settings);
    }
}

// Saves count times, logging to logFile, once a line comes on its input: two of these save at
// once as two instances of the program do. Prints how many saves were refused.
int runSavingInstance(int count, const QString& tag, const QString& logFile)
{
    Tovrin::Logging::CLogger::setOutputFileName(logFile);
    CSettings settings;
    std::cout << "READY" << std::endl;
    std::string go;
    std::getline(std::cin, go);
    int refused = 0;
    for (int i = 0; i < count; ++i) {
        settings.setWebPassword(QStringLiteral("%1 %2").arg(tag).arg(i));
        refused += saveAndWait(settings) == CSettingsStore::Written ? 0 : 1;
    }
    std::cout << "REFUSED " << refused << std::endl;
    return 0;
}

// Loads the settings and the runtime data as the program's start does, and looks for the
// camera systems' addresses beside them as a connection does, logging to logFile.
int runLoadingInstance(const QString& logFile)
{
    Tovrin::Logging::CLogger::setOutputFileName(logFile);
    CSettings settings;
    settings.load();
    CAppRuntimeData runtimeData;
    runtimeData.load();
    Ulx::Flavors::resetSystemEndpoints();
    std::cout << (settings.freshStart() ? "LOADED fresh" : "LOADED stored") << std::endl;
    return 0;
}

QSettings store()
{
    return QSettings(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"));
}

void clearStore()
{
    QSettings s(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"));
    s.clear();
    s.sync();
}

} // namespace

class tst_CSettings : public QObject
{
    Q_OBJECT

private:
    QString m_logFile;

private slots:
    void initTestCase()
    {
        m_logFile = QDir::temp().filePath(QStringLiteral("settings-test.log"));
        Tovrin::Logging::CLogger::setOutputFileName(m_logFile);
    }

    void init()
    {
        // Whatever an earlier test left in the store's folder (a link, a kept copy) goes.
        QDir(QFileInfo(CSettingsStore::fileName()).path()).removeRecursively();
        clearStore();
    }

    void firstRunKeepsConstructorValuesAndSaveEndsFreshStart()
    {
        CSettings settings;
        QSignalSpy fresh(&settings, &CSettings::freshStartChanged);
        settings.load();
        QVERIFY(settings.freshStart());
        QCOMPARE(settings.localeName(), QStringLiteral("en_US"));
        QCOMPARE(settings.overlayBackgroundColor(), QColor(0, 0, 128));
        QCOMPARE(settings.workType(), CSettings::WorkWithDefaultDirectories);
        QVERIFY(!settings.projectMode());
        QCOMPARE(settings.autoPauseDelay(), 60);
        QCOMPARE(settings.customPhotoFolder(), queryProjectRootPath());
        QCOMPARE(fresh.count(), 0);

        QCOMPARE(saveAndWait(settings), int(CSettingsStore::Written));
        QVERIFY(!settings.freshStart());
        QCOMPARE(fresh.count(), 1);

        QSettings s(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"));
        s.beginGroup(QStringLiteral("Settings"));
        QCOMPARE(s.value(QStringLiteral("Version")).toInt(), 1);
        QCOMPARE(s.childKeys().size(), 53);
        QCOMPARE(s.value(QStringLiteral("OverlayBackgroundColor")).toString(), QStringLiteral("#000080"));
    }

    void roundTripRestoresEveryStoredValue()
    {
        QTemporaryDir folder;
        {
            CSettings settings;
            settings.setLocaleName(QStringLiteral("de_DE"));
            settings.setHeadline1Text(QStringLiteral("Kanal Süd"));
            settings.setWebPassword(QStringLiteral("Pässwörd€ 密码"));
            settings.setOverlayTextColor(QColor(QStringLiteral("#ffcc00")));
            settings.setOverlayBackgroundColor(QColor(QStringLiteral("#101010")));
            settings.setTextPlacement(CSettings::TextPlacementBottom);
            settings.setShowDateTime(false);
            settings.setAutoPauseDelay(15);
            settings.setDateFormat(QStringLiteral("yyyy.MM.dd"));
            settings.setCoordinateFormat(4);
            settings.setWorkType(CSettings::WorkWithCustomDirectories);
            settings.setCustomPhotoFolder(folder.path());
            settings.setPhotoFileFormat(CSettings::PhotoFileFormatJPEG);
            settings.setLastUpdateIgnoredVersion(QStringLiteral("2.0.0"));
            settings.setStorageMigrationReminderActive(false);
            settings.setDownloadAllMedia(true);
            QCOMPARE(saveAndWait(settings), int(CSettingsStore::Written));
        }
        QSettings raw(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"));
        QVERIFY(!raw.value(QStringLiteral("Settings/WebPassword")).toString().contains(QStringLiteral("Pässwörd")));

        CSettings loaded;
        QSignalSpy fresh(&loaded, &CSettings::freshStartChanged);
        QSignalSpy projectMode(&loaded, &CSettings::projectModeChanged);
        loaded.load();
        QCOMPARE(fresh.count(), 1);
        QVERIFY(!loaded.freshStart());
        QCOMPARE(loaded.localeName(), QStringLiteral("de_DE"));
        QCOMPARE(loaded.headline1Text(), QStringLiteral("Kanal Süd"));
        QCOMPARE(loaded.webPassword(), QStringLiteral("Pässwörd€ 密码"));
        QCOMPARE(loaded.overlayTextColor(), QColor(QStringLiteral("#ffcc00")));
        QCOMPARE(loaded.overlayBackgroundColor(), QColor(QStringLiteral("#101010")));
        QCOMPARE(loaded.textPlacement(), CSettings::TextPlacementBottom);
        QCOMPARE(loaded.showDateTime(), false);
        QCOMPARE(loaded.autoPauseDelay(), 15);
        QCOMPARE(loaded.dateFormat(), QStringLiteral("yyyy.MM.dd"));
        QCOMPARE(loaded.coordinateFormat(), 4);
        QCOMPARE(loaded.workType(), CSettings::WorkWithCustomDirectories);
        QCOMPARE(projectMode.count(), 1);
        QCOMPARE(loaded.customPhotoFolder(), folder.path());
        QCOMPARE(loaded.photoFileFormat(), CSettings::PhotoFileFormatJPEG);
        QCOMPARE(loaded.lastUpdateIgnoredVersion(), QStringLiteral("2.0.0"));
        QCOMPARE(loaded.storageMigrationReminderActive(), false);
        QCOMPARE(loaded.downloadAllMedia(), false); // never stored
    }

    void missingKeysTakeTheLoadDefaults()
    {
        {
            QSettings s(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"));
            s.beginGroup(QStringLiteral("Settings"));
            s.setValue(QStringLiteral("Version"), 1);
            s.setValue(QStringLiteral("DateFormat"), QStringLiteral("yyyy/MM/dd"));
            s.setValue(QStringLiteral("CustomPhotoFolder"), QStringLiteral("/no/such/folder/anywhere"));
        }
        CSettings settings;
        QSignalSpy workType(&settings, &CSettings::workTypeChanged);
        QSignalSpy projectMode(&settings, &CSettings::projectModeChanged);
        settings.load();
        QCOMPARE(settings.showDateTime(), false);
        QCOMPARE(settings.autoPauseDelay(), 0);
        QCOMPARE(settings.workType(), CSettings::WorkWithProjects);
        QVERIFY(settings.projectMode());
        QCOMPARE(workType.count(), 1);
        QCOMPARE(projectMode.count(), 1);
        QCOMPARE(settings.dateFormat(), QStringLiteral("MM/dd/yyyy"));
        QCOMPARE(settings.customPhotoFolder(), queryProjectRootPath());
        QVERIFY(!settings.overlayTextColor().isValid());
        QCOMPARE(settings.useSystemMediaGallery(), true);
        QCOMPARE(settings.logoAlignment(), CSettings::LogoAlignmentRight);
        QCOMPARE(settings.coordinateFormat(), 1);
        QCOMPARE(settings.storageMigrationReminderActive(), false);
    }

    void otherVersionIsIgnoredAndLeftInPlace()
    {
        {
            QSettings s(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"));
            s.beginGroup(QStringLiteral("Settings"));
            s.setValue(QStringLiteral("Version"), 2);
            s.setValue(QStringLiteral("LocaleName"), QStringLiteral("fr_FR"));
            s.setValue(QStringLiteral("FutureKey"), QStringLiteral("kept"));
        }
        CSettings settings;
        settings.load();
        QVERIFY(settings.freshStart());
        QCOMPARE(settings.localeName(), QStringLiteral("en_US"));
        QSettings s(QStringLiteral("Tovrin"), QStringLiteral("Culvertix"));
        QCOMPARE(s.value(QStringLiteral("Settings/FutureKey")).toString(), QStringLiteral("kept"));
    }

    void corruptStoreIsKeptAsACopy()
    {
        const QString fileName = store().fileName();
        QDir().mkpath(QFileInfo(fileName).absolutePath());
        {
            QFile file(fileName);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[Settings\nVersion=1\n\x01\x02garbage=[[[\n");
        }
        CSettings settings;
        settings.load();
        QCOMPARE(saveAndWait(settings), int(CSettingsStore::Written));
        QVERIFY(!settings.freshStart());
        QVERIFY(QFile::exists(fileName + QStringLiteral(".unreadable")));
        QVERIFY(QFile(fileName + QStringLiteral(".unreadable")).open(QIODevice::ReadOnly));
    }

    // The store keeps the remembered password: it is its owner's alone from the first read on,
    // not only after the next save, and it is written through a symbolic link only to a plain
    // file of the user's own.
    void passwordStoreIsPrivateAndWrittenThroughALinkOnlyToTheUsersOwnFile()
    {
        const QString fileName = store().fileName();
        QCOMPARE(CSettingsStore::fileName(), fileName);
        {
            CSettings settings;
            settings.setWebPassword(QStringLiteral("s3cret"));
            QCOMPARE(saveAndWait(settings), int(CSettingsStore::Written));
        }
        // As an older version or a copy by hand leaves it.
        QVERIFY(::chmod(QFile::encodeName(fileName).constData(), 0644) == 0);
        CSettings loaded;
        loaded.load();
        QCOMPARE(mode(fileName), 0600);
        QCOMPARE(loaded.webPassword(), QStringLiteral("s3cret"));

        // A link to the user's own file, through a second link as dotfile managers set it up:
        // written through, the file made private first, the links kept.
        QTemporaryDir elsewhere;
        const QString own = elsewhere.filePath(QStringLiteral("own.conf"));
        const QString hop = elsewhere.filePath(QStringLiteral("hop.conf"));
        QVERIFY(QFile::rename(fileName, own) && ::chmod(QFile::encodeName(own).constData(), 0644) == 0);
        QVERIFY(QFile::link(own, hop) && QFile::link(hop, fileName));
        loaded.setWebPassword(QStringLiteral("linked s3cret"));
        QCOMPARE(saveAndWait(loaded), int(CSettingsStore::Written));
        CAppRuntimeData runtimeData;
        QCOMPARE(saveAndWait(runtimeData), int(CSettingsStore::Written));
        QVERIFY(QFileInfo(fileName).isSymLink() && QFileInfo(hop).isSymLink());
        QCOMPARE(mode(own), 0600);
        CSettings next;
        next.load();
        QCOMPARE(next.webPassword(), QStringLiteral("linked s3cret"));

        // A link to nothing and a pipe in the store's place are not made private at a start (the
        // pipe is never read here: it would wait for a writer); saves refuse them (below).
        QVERIFY(QFile::remove(fileName) && QFile::link(elsewhere.filePath(QStringLiteral("nowhere.conf")), fileName));
        QVERIFY(!CSettingsStore::secure(fileName, false));
        QVERIFY(QFile::remove(fileName) && ::mkfifo(QFile::encodeName(fileName).constData(), 0644) == 0);
        const auto removePipe = qScopeGuard([&fileName] { QFile::remove(fileName); });
        QVERIFY(!CSettingsStore::secure(fileName, true) && !CSettingsStore::secure(fileName, false));
        QCOMPARE(mode(fileName), 0644);

        // A link to another user's file.
        if (::geteuid() != 0)
            QSKIP("making a file of another user needs root");
        const QString target = elsewhere.filePath(QStringLiteral("shared.conf"));
        const QByteArray shared("[Other]\nkey=value\n");
        {
            QFile file(target);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(shared) == shared.size());
        }
        QVERIFY(::chmod(QFile::encodeName(target).constData(), 0644) == 0);
        QVERIFY(::chown(QFile::encodeName(target).constData(), 65534, 65534) == 0);
        QVERIFY(QFile::remove(fileName));
        QVERIFY(QFile::link(target, fileName));
        const auto unlink = qScopeGuard([&fileName] { QFile::remove(fileName); });
        CSettings linked;
        linked.load();
        linked.setWebPassword(QStringLiteral("n3w secret"));
        QCOMPARE(saveAndWait(linked), int(CSettingsStore::OtherUsersFile));
        runtimeData.setLastPhotoFolder(elsewhere.path());
        QCOMPARE(saveAndWait(runtimeData), int(CSettingsStore::OtherUsersFile));
        QFile check(target);
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(check.readAll(), shared);
        QCOMPARE(mode(target), 0644);
        QVERIFY(QFileInfo(fileName).isSymLink());
    }

    // A save that may not or cannot write says why, in its result and in the log, and leaves
    // the store and its folder as they were: both writers of the store, the settings and the
    // runtime data, alike.
    void everyRefusalNamesItsCauseAndLeavesTheStore_data()
    {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<int>("result");
        QTest::newRow("a folder") << "folder" << int(CSettingsStore::NotAPlainFile);
        QTest::newRow("a pipe") << "pipe" << int(CSettingsStore::NotAPlainFile);
        QTest::newRow("a link to nothing") << "dangling" << int(CSettingsStore::LinkToNothing);
        QTest::newRow("a link to a folder") << "link to folder" << int(CSettingsStore::NotAPlainFile);
        QTest::newRow("another user's file") << "foreign" << int(CSettingsStore::OtherUsersFile);
        QTest::newRow("a read-only folder") << "read-only" << int(CSettingsStore::ReadOnlyFolder);
        QTest::newRow("a full drive") << "full" << int(CSettingsStore::DiskFull);
    }

    void everyRefusalNamesItsCauseAndLeavesTheStore()
    {
        QFETCH(QString, condition);
        QFETCH(int, result);
        const QString fileName = CSettingsStore::fileName();
        const QString folder = QFileInfo(fileName).path();
        {
            CSettings settings;
            settings.setWebPassword(QStringLiteral("kept"));
            QCOMPARE(saveAndWait(settings), int(CSettingsStore::Written));
        }
        QTemporaryDir elsewhere;
        TestVolume volume;
        const auto restore = qScopeGuard([&] {
            volume.unmount();
            QFile::remove(fileName);
            QDir(fileName).removeRecursively();
        });
        QString skip;
        if (!makeStoreRefuseSaves(condition, elsewhere.path(), volume, &skip)) {
            if (!skip.isEmpty())
                QSKIP(qPrintable(skip));
            QFAIL("the store could not be prepared");
        }
        const QStringList before = entriesOf(folder);
        // A pipe is never opened here: it would wait for a writer.
        const bool plainFile = QFileInfo(fileName).isFile() && condition != QLatin1String("pipe");
        const QByteArray content = plainFile ? readBytes(fileName) : QByteArray();
        takeLogText(m_logFile);

        CSettings settings;
        settings.setWebPassword(QStringLiteral("new"));
        QCOMPARE(saveAndWait(settings), result);
        CAppRuntimeData runtimeData;
        runtimeData.setLastPhotoFolder(elsewhere.path());
        QCOMPARE(saveAndWait(runtimeData), result);

        const QString log = takeLogText(m_logFile);
        QVERIFY2(log.count(QStringLiteral("settings store")) >= 2, qPrintable(log));
        QCOMPARE(entriesOf(folder), before);
        if (plainFile)
            QCOMPARE(readBytes(fileName), content);
        QVERIFY(entriesOf(elsewhere.path()).isEmpty());
    }

    // A save killed between making its new copy and renaming it leaves the store whole and the
    // copy hidden, private and gone at the next start or save: the remembered password is never
    // left in plain sight.
    void aKilledSaveLeavesNoCopyBehind()
    {
        const QString fileName = CSettingsStore::fileName();
        const QString folder = QFileInfo(fileName).path();
        const QString pattern = CSettingsStore::copyFolderPattern(QFileInfo(fileName).fileName());
        const QString prefix = pattern.left(pattern.size() - 6);
        {
            CSettings first;
            first.setWebPassword(QStringLiteral("secret first"));
            QCOMPARE(saveAndWait(first), int(CSettingsStore::Written));
        }
        for (int round = 0; round < 4; ++round) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start(QCoreApplication::applicationFilePath(), {"--child", "save"});
            QVERIFY2(child.waitForStarted(10000), qPrintable(child.errorString()));
            const auto pid = child.processId();
            // Stopped the moment its new copy exists, and killed once the copy is seen still
            // waiting for its rename.
            QString copy;
            const bool caught = QTest::qWaitFor(
                [&]() {
                    const QStringList found = QDir(folder).entryList({prefix + "*"}, QDir::Dirs | QDir::Hidden);
                    if (found.isEmpty())
                        return false;
                    if (!stopProcess(pid)) {
                        ::kill(pid_t(pid), SIGCONT);
                        return false;
                    }
                    copy = folder + QLatin1Char('/') + found.first();
                    if (QFileInfo::exists(copy + QStringLiteral("/store.conf")))
                        return true;
                    ::kill(pid_t(pid), SIGCONT);
                    return false;
                },
                60000);
            ::kill(pid_t(pid), SIGKILL);
            QVERIFY(child.waitForFinished(10000));
            QVERIFY2(caught, "no save was seen between its new copy and the rename");

            QCOMPARE(mode(copy), 0700);
            QCOMPARE(mode(copy + QStringLiteral("/store.conf")), 0600);
            for (const QString& name : entriesOf(folder))
                QVERIFY2(name == QLatin1String("Culvertix.conf") || name.startsWith(prefix), qPrintable(name));
            CSettings next;
            if (round % 2 == 0) {
                next.load(); // the next start
                QVERIFY(next.webPassword().startsWith(QStringLiteral("secret ")));
            } else {
                next.setWebPassword(QStringLiteral("secret after"));
                QCOMPARE(saveAndWait(next), int(CSettingsStore::Written));
            }
            QCOMPARE(entriesOf(folder), QStringList{QStringLiteral("Culvertix.conf")});
            QCOMPARE(mode(fileName), 0600);
        }
    }

    // The store's link changes while saves run: each save writes the file it checked, under its
    // own name, never the target of a link resolved again after the check.
    void aLinkSwappedDuringSavesIsNeverWrittenThrough()
    {
        const QString fileName = CSettingsStore::fileName();
        const QString folder = QFileInfo(fileName).path();
        QTemporaryDir own;
        QTemporaryDir other;
        const QString target = own.filePath(QStringLiteral("own.conf"));
        const QString trap = other.filePath(QStringLiteral("trap.conf"));
        {
            CSettings settings;
            QCOMPARE(saveAndWait(settings), int(CSettingsStore::Written));
        }
        QVERIFY(QFile::rename(fileName, target));
        std::atomic<bool> stop(false);
        std::thread swapper([&]() {
            const QByteArray store = QFile::encodeName(fileName);
            const QByteArray toOwn = QFile::encodeName(folder + QStringLiteral("/swap-own"));
            const QByteArray toTrap = QFile::encodeName(folder + QStringLiteral("/swap-trap"));
            while (!stop) {
                ::symlink(QFile::encodeName(target).constData(), toOwn.constData());
                ::rename(toOwn.constData(), store.constData());
                ::symlink(QFile::encodeName(trap).constData(), toTrap.constData());
                ::rename(toTrap.constData(), store.constData());
            }
        });
        const auto join = qScopeGuard([&]() {
            stop = true;
            swapper.join();
        });
        int written = 0;
        CSettings settings;
        for (int i = 0; i < 400 && !QFileInfo::exists(trap); ++i) {
            settings.setWebPassword(QStringLiteral("swapped %1").arg(i));
            written += saveAndWait(settings) == CSettingsStore::Written ? 1 : 0;
        }
        stop = true;
        QVERIFY2(!QFileInfo::exists(trap), "the password went through a link resolved after the check");
        QVERIFY(written > 0);
        QCOMPARE(mode(target), 0600);
        QVERIFY(readBytes(target).contains("WebPassword="));
    }

    // A save waits on the disk (its new copy is synced before the rename), for seconds on a
    // memory card: the store's own thread does that while this one goes on turning. Saves asked
    // meanwhile follow in their order, the newest last, and none is lost; the exit's wait for
    // them is bounded and says so when the disk keeps it waiting.
    void aSaveWaitsOnTheDiskOffTheGuiThreadAndLaterSavesFollowIt()
    {
        QTemporaryDir photos;
        QSemaphore held;
        QAtomicInt holdNext(1);
        QAtomicInt reached;
        QAtomicInt syncs;
        QAtomicInt onThisThread;
        CSettingsStore::setDiskObserver([&](CSettingsStore::DiskStep step, const QString&) {
            if (QThread::currentThread() == thread()) {
                onThisThread.ref();
                return;
            }
            if (step != CSettingsStore::DiskStep::Sync)
                return;
            syncs.ref();
            if (holdNext.testAndSetOrdered(1, 0)) {
                reached.ref();
                held.tryAcquire(1, 20000);
            }
        });
        const auto stopWatching = qScopeGuard([&held] {
            held.release();
            CSettingsStore::setDiskObserver(nullptr);
        });
        CSettings settings;
        CAppRuntimeData runtimeData;
        QSignalSpy settingsSaved(&settings, &CSettings::saveFinished);
        QSignalSpy runtimeSaved(&runtimeData, &CAppRuntimeData::saveFinished);
        settings.setWebPassword(QStringLiteral("first"));
        const uint first = settings.save();
        QTRY_COMPARE(reached.loadAcquire(), 1);

        // Held in its sync: this thread's events still run, and nothing is told or stored yet.
        bool turned = false;
        QMetaObject::invokeMethod(this, [&turned] { turned = true; }, Qt::QueuedConnection);
        QTRY_VERIFY(turned);
        QCOMPARE(settingsSaved.count(), 0);
        QVERIFY(store().value(QStringLiteral("Settings/WebPassword")).isNull());
        settings.setWebPassword(QStringLiteral("second"));
        const uint second = settings.save();
        runtimeData.setLastPhotoFolder(photos.path());
        runtimeData.save();
        settings.setWebPassword(QStringLiteral("third"));
        const uint third = settings.save();
        takeLogText(m_logFile);
        QVERIFY(!CSettingsStoreService::instance()->waitForWrites(1));
        QVERIFY(takeLogText(m_logFile).contains(QStringLiteral("did not reach the disk in time")));

        held.release();
        QVERIFY(CSettingsStoreService::instance()->waitForWrites(CSettingsStoreService::ExitBoundMs));
        QTRY_COMPARE(settingsSaved.count(), 3);
        QTRY_COMPARE(runtimeSaved.count(), 1);
        const QList<uint> tasks{first, second, third};
        for (int i = 0; i < tasks.size(); ++i) {
            QCOMPARE(settingsSaved.at(i).at(0).toUInt(), tasks.at(i));
            QCOMPARE(settingsSaved.at(i).at(1).value<CSettingsStore::Result>(), CSettingsStore::Written);
        }
        QCOMPARE(runtimeSaved.first().at(1).value<CSettingsStore::Result>(), CSettingsStore::Written);
        CSettings loaded;
        loaded.load();
        QCOMPARE(loaded.webPassword(), QStringLiteral("third"));
        CAppRuntimeData loadedRuntimeData;
        loadedRuntimeData.load();
        QCOMPARE(loadedRuntimeData.lastPhotoFolder(), photos.path());
        // The two saves of the settings that waited were written once, with the newer values.
        QCOMPARE(syncs.loadAcquire(), 3);
        QCOMPARE(onThisThread.loadAcquire(), 0);
    }

    // Two instances of the program saving at once: neither takes the other's new copy for one
    // an interrupted save left, every save of both is written, and the store stays whole.
    void twoInstancesSavingAtOnceKeepEachOthersCopies()
    {
        constexpr int Saves = 200;
        const QString folder = QFileInfo(CSettingsStore::fileName()).path();
        QTemporaryDir logs;
        QProcess instances[2];
        for (int i = 0; i < 2; ++i) {
            instances[i].setProcessChannelMode(QProcess::ForwardedErrorChannel);
            instances[i].start(QCoreApplication::applicationFilePath(),
                               {"--child", "saves", QString::number(Saves), QStringLiteral("instance%1").arg(i),
                                logs.filePath(QStringLiteral("%1.log").arg(i))});
        }
        for (QProcess& instance : instances)
            QTRY_VERIFY_WITH_TIMEOUT(instance.canReadLine() || instance.state() == QProcess::NotRunning, 60000);
        for (QProcess& instance : instances) {
            QCOMPARE(instance.readLine().trimmed(), QByteArray("READY"));
            instance.write("go\n");
        }
        // Both on their way before either is waited for.
        for (QProcess& instance : instances)
            QTRY_COMPARE_WITH_TIMEOUT(instance.bytesToWrite(), qint64(0), 60000);
        for (int i = 0; i < 2; ++i) {
            QVERIFY(instances[i].waitForFinished(300000));
            QCOMPARE(instances[i].readAllStandardOutput().trimmed(), QByteArray("REFUSED 0"));
            const QString log = readLogText(logs.filePath(QStringLiteral("%1.log").arg(i)));
            // Neither a refusal nor a sweep of the other's copy.
            QVERIFY2(!log.contains(QStringLiteral("settings store")), qPrintable(log.left(2000)));
        }
        QCOMPARE(entriesOf(folder), QStringList{QStringLiteral("Culvertix.conf")});
        CSettings loaded;
        loaded.load();
        const QString last = QStringLiteral(" %1").arg(Saves - 1);
        QVERIFY2(loaded.webPassword() == QLatin1String("instance0") + last
                     || loaded.webPassword() == QLatin1String("instance1") + last,
                 qPrintable(loaded.webPassword()));
    }

    // Another instance renames its new store over the file between this save's look at it and its
    // read: the save reads the new store and keeps what the other instance wrote there.
    void aStoreReplacedWhileASaveReadsItIsReadAgain()
    {
        {
            CSettings first;
            QCOMPARE(saveAndWait(first), int(CSettingsStore::Written));
        }
        QTemporaryDir photos;
        {
            QMutexLocker locker(&replacementMutex);
            replacementOnNextRead = "[RuntimeData]\nVersion=1\nLastPhotoFolder=" + QFile::encodeName(photos.path())
                + "\n\n[Settings]\nVersion=1\nWebPassword=\n";
        }
        const auto disarm = qScopeGuard([] {
            QMutexLocker locker(&replacementMutex);
            replacementOnNextRead.clear();
        });
        CSettings settings;
        settings.setWebPassword(QStringLiteral("after the other"));
        QCOMPARE(saveAndWait(settings), int(CSettingsStore::Written));
        {
            QMutexLocker locker(&replacementMutex);
            QVERIFY2(replacementOnNextRead.isEmpty(), "the save never read the store");
        }
        CSettings loaded;
        loaded.load();
        QCOMPARE(loaded.webPassword(), QStringLiteral("after the other"));
        CAppRuntimeData runtimeData;
        runtimeData.load();
        QCOMPARE(runtimeData.lastPhotoFolder(), photos.path());
        QCOMPARE(entriesOf(QFileInfo(CSettingsStore::fileName()).path()), QStringList{QStringLiteral("Culvertix.conf")});
    }

    // A pipe in the store's place is never opened: the program would wait on it for ever, with
    // no window (or on connecting to a camera). The start goes on with the defaults and the log
    // says why.
    void aPipeInTheStoresPlaceIsNotOpenedAtStart()
    {
        const QString fileName = CSettingsStore::fileName();
        QVERIFY(QDir().mkpath(QFileInfo(fileName).path()));
        QVERIFY(::mkfifo(QFile::encodeName(fileName).constData(), 0600) == 0);
        const auto removePipe = qScopeGuard([&fileName] { QFile::remove(fileName); });
        QTemporaryDir logs;
        const QString logFile = logs.filePath(QStringLiteral("start.log"));
        QProcess start;
        start.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        start.start(QCoreApplication::applicationFilePath(), {"--child", "load", logFile});
        // Ended, or waiting on the pipe for ever.
        QVERIFY2(start.waitForFinished(120000), "loading the settings waits on the pipe in the store's place");
        QCOMPARE(start.readAllStandardOutput().trimmed(), QByteArray("LOADED fresh"));
        const QString log = readLogText(logFile);
        QVERIFY2(log.count(QStringLiteral("settings store is not a plain file; it is not read")) == 2, qPrintable(log));
        struct stat info {};
        QVERIFY(::lstat(QFile::encodeName(fileName).constData(), &info) == 0 && S_ISFIFO(info.st_mode));
    }

    // A save reaches the disk in this order, off this thread: its new copy synced, renamed over
    // the store, and the store's folder synced, so that a power cut keeps the old store or the new.
    void aSaveSyncsItsCopyThenRenamesThenSyncsTheFolder()
    {
        {
            CSettings first;
            QCOMPARE(saveAndWait(first), int(CSettingsStore::Written));
        }
        const QString folder = QFileInfo(QFileInfo(CSettingsStore::fileName()).path()).canonicalFilePath();
        diskCalls.clear();
        recordingDiskCalls = true;
        CSettings settings;
        settings.setWebPassword(QStringLiteral("durable"));
        const int result = saveAndWait(settings);
        recordingDiskCalls = false;
        QCOMPARE(result, int(CSettingsStore::Written));
        QMutexLocker locker(&diskCallMutex);
        QStringList steps;
        for (const DiskCall& call : qAsConst(diskCalls)) {
            QVERIFY2(!call.onGuiThread, call.call.constData());
            if (call.call == "renameat")
                steps.append(call.path == folder + QStringLiteral("/Culvertix.conf") ? "rename" : "other rename");
            else if (call.path.startsWith(folder + QStringLiteral("/.Culvertix.conf.saving.")))
                steps.append(QStringLiteral("copy synced"));
            else
                steps.append(call.path == folder ? "folder synced" : "other sync");
        }
        const int copySynced = steps.indexOf(QStringLiteral("copy synced"));
        const int renamed = steps.lastIndexOf(QStringLiteral("rename"));
        QVERIFY2(copySynced >= 0 && renamed > copySynced && steps.lastIndexOf(QStringLiteral("folder synced")) > renamed,
                 qPrintable(steps.join(QStringLiteral(", "))));
    }

    void setterSignalRules()
    {
        CSettings settings;
        QSignalSpy locale(&settings, &CSettings::localeNameChanged);
        settings.setLocaleName(QStringLiteral("en_US"));
        QCOMPARE(locale.count(), 0);
        settings.setLocaleName(QStringLiteral("de_DE"));
        QCOMPARE(locale.count(), 1);

        QSignalSpy download(&settings, &CSettings::downloadAllMediaChanged);
        settings.setDownloadAllMedia(true);
        QVERIFY(settings.downloadAllMedia());
        QCOMPARE(download.count(), 0);

        QSignalSpy remind(&settings, &CSettings::doNotRemindAboutAllMediaDownloadChanged);
        settings.setDoNotRemindAboutAllMediaDownload(false);
        settings.setDoNotRemindAboutAllMediaDownload(false);
        QCOMPARE(remind.count(), 2);

        // Loading the same values twice re-signals only the two migration flags.
        QCOMPARE(saveAndWait(settings), int(CSettingsStore::Written));
        CSettings reloaded;
        reloaded.load();
        QList<QSignalSpy*> spies;
        const QMetaObject* meta = reloaded.metaObject();
        for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
            const QMetaProperty property = meta->property(i);
            spies.append(new QSignalSpy(&reloaded, property.notifySignal().methodSignature().prepend('2').constData()));
            spies.last()->setObjectName(QString::fromLatin1(property.name()));
        }
        reloaded.load();
        for (QSignalSpy* spy : qAsConst(spies)) {
            const bool migration = spy->objectName() == QLatin1String("storageMigrationDone")
                || spy->objectName() == QLatin1String("storageMigrationReminderActive");
            QVERIFY2(spy->count() == (migration ? 1 : 0), qPrintable(spy->objectName()));
        }
        qDeleteAll(spies);
    }

    void fixedLists()
    {
        QCOMPARE(CSettings::languageNames().size(), 15);
        QCOMPARE(CSettings::localeCodes().size(), 15);
        QCOMPARE(CSettings::localeCodes().at(CSettings::languageNames().indexOf(QStringLiteral("Magyar"))),
                 QStringLiteral("hu_HU"));
        QCOMPARE(CSettings::localeCodes().at(CSettings::languageNames().indexOf(QStringLiteral("Slovenčina"))),
                 QStringLiteral("sk_SK"));
        QCOMPARE(CSettings::supportedDateFormats().size(), 6);
        QCOMPARE(CSettings::staticMetaObject.propertyCount() - CSettings::staticMetaObject.propertyOffset(), 56);
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    guiThread = QThread::currentThreadId();
    if (argc >= 3 && qstrcmp(argv[1], "--child") == 0 && qstrcmp(argv[2], "save") == 0)
        return runSavingChild();
    if (argc >= 6 && qstrcmp(argv[1], "--child") == 0 && qstrcmp(argv[2], "saves") == 0)
        return runSavingInstance(QByteArray(argv[3]).toInt(), QString::fromLocal8Bit(argv[4]),
                                 QString::fromLocal8Bit(argv[5]));
    if (argc >= 4 && qstrcmp(argv[1], "--child") == 0 && qstrcmp(argv[2], "load") == 0)
        return runLoadingInstance(QString::fromLocal8Bit(argv[3]));
    tst_CSettings test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_CSettings.moc"
