#include "fakes/readfile.h"
#include "platform/qtlogfiles.h"
#include "platform/recordstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

// Files may grow only to this size for as long as it lives; a write beyond
// it fails as on a full disk.
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

class TestQtLogFiles : public QObject {
    Q_OBJECT
private slots:
    void folderIsBesideTheRecordFile();
    void eachAppendIsInTheFileAtOnce();
    void existingFileIsNeverTouched();
    void folderThatIsAFileFails();
    void appendWithoutFileFails();
    void appendBeyondTheDiskFails();
};

void TestQtLogFiles::folderIsBesideTheRecordFile()
{
    const QFileInfo record(platform::recordFilePath());
    QCOMPARE(QDir::fromNativeSeparators(platform::logFolderPath()), record.dir().filePath(QStringLiteral("pump-log")));
    QCOMPARE(platform::QtLogFiles().folder(), platform::logFolderPath());
}

void TestQtLogFiles::eachAppendIsInTheFileAtOnce()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    // The folder is made when the first file is.
    const QString folder = tmp.filePath(QStringLiteral("a/pump-log"));
    platform::QtLogFiles files(folder);
    QVERIFY(files.path().isEmpty());
    QString error;
    QCOMPARE(files.create(QStringLiteral("one.csv"), &error), platform::LogFiles::Create::Created);
    const QString path = QDir(folder).filePath(QStringLiteral("one.csv"));
    QCOMPARE(files.path(), QDir::toNativeSeparators(path));
    QCOMPARE(readFile(path), QByteArray());

    // Another reader sees every line while the file is still open.
    QByteArray expected;
    for (const QByteArray& line : {QByteArray("header\r\n"), QByteArray("a,1\r\n"), QByteArray("b,\"2,5\"\r\n")}) {
        QVERIFY2(files.append(line, &error), qPrintable(error));
        expected += line;
        QCOMPARE(readFile(path), expected);
    }
    files.close();
    QVERIFY(files.path().isEmpty());
    QCOMPARE(readFile(path), expected);
}

void TestQtLogFiles::existingFileIsNeverTouched()
{
    QTemporaryDir tmp;
    platform::QtLogFiles files(tmp.path());
    QFile earlier(tmp.filePath(QStringLiteral("log.csv")));
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier lines\r\n");
    earlier.close();

    QString error;
    QCOMPARE(files.create(QStringLiteral("log.csv"), &error), platform::LogFiles::Create::Exists);
    QVERIFY(files.path().isEmpty());
    QVERIFY(!files.append("more\r\n", &error));
    QCOMPARE(readFile(tmp.filePath(QStringLiteral("log.csv"))), QByteArray("earlier lines\r\n"));
}

void TestQtLogFiles::folderThatIsAFileFails()
{
    QTemporaryDir tmp;
    const QString notAFolder = tmp.filePath(QStringLiteral("pump-log"));
    QFile file(notAFolder);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    for (const QString& folder : {notAFolder, notAFolder + QStringLiteral("/below")}) {
        platform::QtLogFiles files(folder);
        QString error;
        QCOMPARE(files.create(QStringLiteral("log.csv"), &error), platform::LogFiles::Create::Failed);
        QVERIFY2(error.contains(QDir::toNativeSeparators(notAFolder)), qPrintable(error));
        // Below the file, the folder cannot be made, and the system says why.
        if (folder != notAFolder)
            QVERIFY2(error.endsWith(QStringLiteral("：路径中有一项不是文件夹 (Not a directory)")), qPrintable(error));
        QVERIFY(files.path().isEmpty());
    }
}

void TestQtLogFiles::appendWithoutFileFails()
{
    QTemporaryDir tmp;
    platform::QtLogFiles files(tmp.path());
    QString error;
    QVERIFY(!files.append("line\r\n", &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(QDir(tmp.path()).entryList(QDir::Files), QStringList());
}

void TestQtLogFiles::appendBeyondTheDiskFails()
{
    QTemporaryDir tmp;
    platform::QtLogFiles files(tmp.path());
    QString error;
    QCOMPARE(files.create(QStringLiteral("log.csv"), &error), platform::LogFiles::Create::Created);
    QVERIFY(files.append("0123456789", &error));
    {
        FileSizeLimit limit(16);
        QVERIFY(limit.ok());
        QVERIFY(!files.append("abcdefghij", &error));
    }
    QVERIFY2(error.startsWith(QStringLiteral("文件超过系统允许的大小 (")), qPrintable(error));
    // What was written before is there; the part of this write that fitted
    // is taken back, so the file does not end in a torn line.
    QCOMPARE(readFile(tmp.filePath(QStringLiteral("log.csv"))), QByteArray("0123456789"));
}

QTEST_GUILESS_MAIN(TestQtLogFiles)
#include "test_qtlogfiles.moc"
