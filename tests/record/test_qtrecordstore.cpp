#include "fakes/readfile.h"
#include "platform/qtrecordstore.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QByteArray kPrevious(" 1  2  3 ");

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// Permission checks as an ordinary user for as long as it lives. Root passes
// every permission check, so a read-only folder only stops root's writes when
// the file system user is someone else.
class OrdinaryUser {
public:
    OrdinaryUser()
    {
        if (geteuid() == 0) {
            setfsuid(kNobody);
            m_ok = static_cast<uid_t>(setfsuid(static_cast<uid_t>(-1))) == kNobody;
        }
    }
    // False when root could not take another user's permissions here.
    bool ok() const { return m_ok; }
    ~OrdinaryUser()
    {
        if (geteuid() == 0)
            setfsuid(0);
    }

private:
    static constexpr uid_t kNobody = 65534;
    bool m_ok = true;
};

// Files may not grow beyond `bytes` for as long as it lives: writes past it
// fail as they do on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        m_ok = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool ok() const { return m_ok; }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_ok = false;
};

}  // namespace

class TestQtRecordStore : public QObject {
    Q_OBJECT
private slots:
    void recordFileLivesInTheDocumentsFolder();
    void writeReplacesTheFileExactly();
    void writeMakesAMissingFolder();
    void readOfAMissingFileSaysMissing();
    void readOfAFolderFails();
    void writeBelowARegularFileFails();
    void writeIntoAReadOnlyFolderKeepsThePreviousFile();
    void writeOntoAFullDiskKeepsThePreviousFile();
};

void TestQtRecordStore::recordFileLivesInTheDocumentsFolder()
{
    const QString path = platform::recordFilePath();
    QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("mytext.txt"));
    QCOMPARE(QFileInfo(path).absolutePath(),
             QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).absolutePath());
    QCOMPARE(platform::windowsRecordFolder(true, QStringLiteral("C:/Users/op/Documents")), QStringLiteral("d:/"));
    QCOMPARE(platform::windowsRecordFolder(false, QStringLiteral("C:/Users/op")), QStringLiteral("C:/Users/op"));
}

void TestQtRecordStore::writeReplacesTheFileExactly()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("mytext.txt"));
    QVERIFY(writeFile(path, QByteArray(4096, 'x')));
    platform::QtRecordStore store(path);
    QCOMPARE(store.path(), QDir::toNativeSeparators(path));

    QString error;
    QVERIFY(store.writeAll(kPrevious, &error));
    QCOMPARE(readFile(path), kPrevious);
    QVERIFY(store.writeAll(QByteArray(), &error));
    QCOMPARE(QFileInfo(path).size(), 0);

    const auto read = store.readAll();
    QCOMPARE(read.status, platform::RecordStore::ReadResult::Status::Ok);
    QVERIFY(read.content.isEmpty());
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("mytext.txt")});  // no temporary left
}

void TestQtRecordStore::writeMakesAMissingFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Documents/mytext.txt"));
    platform::QtRecordStore store(path);
    QString error;
    QVERIFY2(store.writeAll(kPrevious, &error), qPrintable(error));
    QCOMPARE(store.readAll().content, kPrevious);
}

void TestQtRecordStore::readOfAMissingFileSaysMissing()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    platform::QtRecordStore store(dir.filePath(QStringLiteral("mytext.txt")));
    const auto read = store.readAll();
    QCOMPARE(read.status, platform::RecordStore::ReadResult::Status::Missing);
    QVERIFY(read.content.isEmpty());
}

void TestQtRecordStore::readOfAFolderFails()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    platform::QtRecordStore store(dir.path());
    const auto read = store.readAll();
    QCOMPARE(read.status, platform::RecordStore::ReadResult::Status::Failed);
    QVERIFY(!read.error.isEmpty());
}

void TestQtRecordStore::writeBelowARegularFileFails()
{
    // Like a drive that is not there: the folder cannot exist.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString notAFolder = dir.filePath(QStringLiteral("d"));
    QVERIFY(writeFile(notAFolder, "plain file"));
    platform::QtRecordStore store(notAFolder + QStringLiteral("/mytext.txt"));

    QString error;
    QVERIFY(!store.writeAll(kPrevious, &error));
    QCOMPARE(error, QStringLiteral("路径中有一项不是文件夹 (%1)").arg(QString::fromLocal8Bit(std::strerror(ENOTDIR))));
    QCOMPARE(readFile(notAFolder), QByteArray("plain file"));
    QCOMPARE(store.readAll().status, platform::RecordStore::ReadResult::Status::Missing);
}

void TestQtRecordStore::writeIntoAReadOnlyFolderKeepsThePreviousFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("records"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/mytext.txt");
    QVERIFY(writeFile(path, kPrevious));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::ReadGroup);
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther
                                              | QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup));
    platform::QtRecordStore store(path);

    bool dropped = false;
    bool written = true;
    QString error;
    {
        OrdinaryUser user;
        dropped = user.ok();
        if (dropped)
            written = store.writeAll(QByteArray(" 7  8 "), &error);
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!dropped)
        QSKIP("root here cannot give up its right to write");

    QVERIFY(!written);
    QCOMPARE(error, QStringLiteral("没有访问权限 (%1)").arg(QString::fromLocal8Bit(std::strerror(EACCES))));
    QCOMPARE(readFile(path), kPrevious);
    QCOMPARE(entries(folder), QStringList{QStringLiteral("mytext.txt")});
}

void TestQtRecordStore::writeOntoAFullDiskKeepsThePreviousFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("mytext.txt"));
    QVERIFY(writeFile(path, kPrevious));
    platform::QtRecordStore store(path);

    // A record larger than the room left: about 25 kB against 1 kB.
    QByteArray record;
    for (int k = 0; k < 5000; ++k)
        record += k % 5 == 4 ? " 1.2 \r\n" : " 1.2 ";

    bool written = true;
    QString error;
    {
        FileSizeLimit full(1024);
        QVERIFY(full.ok());
        written = store.writeAll(record, &error);
    }
    QVERIFY(!written);
    QCOMPARE(error, QStringLiteral("文件超过系统允许的大小 (%1)").arg(QString::fromLocal8Bit(std::strerror(EFBIG))));
    QCOMPARE(readFile(path), kPrevious);
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("mytext.txt")});

    // Once there is room again the same save goes through.
    QVERIFY2(store.writeAll(record, &error), qPrintable(error));
    QCOMPARE(readFile(path), record);
}

QTEST_GUILESS_MAIN(TestQtRecordStore)
#include "test_qtrecordstore.moc"
