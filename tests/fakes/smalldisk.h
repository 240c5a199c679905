#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sched.h>
#include <sys/mount.h>

// A small tmpfs over a fresh temporary folder, for as long as it lives: a
// disk that fills up or turns read-only under a test. The mounts live in a
// mount namespace of the test's own, entered in main() before any thread
// starts (enterPrivateMounts()), so nobody else sees them and they vanish
// with the process. Where that is not allowed (no CAP_SYS_ADMIN) ok() is
// false and the test skips.
class SmallDisk {
public:
    // Enters a mount namespace of the process's own in which nothing mounted
    // propagates back. Must run while the process has a single thread.
    static bool enterPrivateMounts()
    {
        privateMounts() = unshare(CLONE_NEWNS) == 0 && mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        return privateMounts();
    }

    explicit SmallDisk(qint64 bytes)
    {
        if (!privateMounts() || !m_dir.isValid())
            return;
        const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
        m_mounted = mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    bool ok() const { return m_mounted; }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    QStringList entries() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden); }
    bool setReadOnly(bool readOnly)
    {
        const unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
        return mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", flags, nullptr) == 0;
    }
    // Fills the disk with a file of its own; returns its path.
    QString fill()
    {
        const QString path = filePath(QStringLiteral("filler"));
        QFile filler(path);
        if (filler.open(QIODevice::WriteOnly)) {
            const QByteArray block(4096, 'x');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
        }
        return path;
    }

private:
    static bool& privateMounts()
    {
        static bool entered = false;
        return entered;
    }

    QTemporaryDir m_dir;
    bool m_mounted = false;
};

// Declares `disk`, a small disk of `bytes`, or skips the test where none can be mounted.
#define SMALL_DISK_OR_SKIP(disk, bytes) \
    SmallDisk disk(bytes);              \
    if (!disk.ok())                     \
    QSKIP("cannot mount a small disk here (needs CAP_SYS_ADMIN)")

// main() of a test with small disks: it enters the private mounts while the process has one thread.
#define SMALL_DISK_TEST_MAIN(TestClass, Application)   \
    int main(int argc, char** argv)                    \
    {                                                  \
        SmallDisk::enterPrivateMounts();               \
        Application app(argc, argv);                   \
        TestClass test;                                \
        QTEST_SET_MAIN_SOURCE_PATH                     \
        return QTest::qExec(&test, argc, argv);        \
    }
