// A volume of a test's own, unmounted when it goes: a small tmpfs (to be filled up) or a
// read-only view of a folder. Mounting needs the right to mount (root in CI); a test that cannot
// mount says so with QSKIP. Header only; a test includes "support/TestVolume.h".
#pragma once

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

class TestVolume
{
public:
    TestVolume() = default;
    ~TestVolume() { unmount(); }
    TestVolume(const TestVolume&) = delete;
    TestVolume& operator=(const TestVolume&) = delete;

    // A tmpfs of kib KiB at the folder (which must exist); what the folder held is hidden
    // until the volume goes.
    bool mountTmpfs(const QString& folder, int kib)
    {
        return mount({QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                      QStringLiteral("size=%1k").arg(kib), QStringLiteral("tmpfs"), folder},
                     folder);
    }

    // The folder itself, read-only from now on.
    bool makeReadOnly(const QString& folder)
    {
        return mount({QStringLiteral("--bind"), folder, folder}, folder)
            && QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("remount,bind,ro"), folder})
            == 0;
    }

    void unmount()
    {
        if (!m_folder.isEmpty())
            QProcess::execute(QStringLiteral("umount"), {m_folder});
        m_folder.clear();
    }

    // One file that takes every byte still free in the folder's volume; false when the volume
    // did not fill up.
    static bool fill(const QString& folder)
    {
        QFile filler(folder + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
        return filler.error() == QFileDevice::ResourceError;
    }

private:
    bool mount(const QStringList& arguments, const QString& folder)
    {
        unmount();
        if (QProcess::execute(QStringLiteral("mount"), arguments) != 0)
            return false;
        m_folder = folder;
        return true;
    }

    QString m_folder;
};
