#include "fakes/fakedialogs.h"
#include "fakes/fakerecordstore.h"
#include "fakes/readfile.h"
#include "platform/qtprinter.h"
#include "record/recorder.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Pages of a PDF file: pdfinfo when it is there, else the page objects.
int pdfPageCount(const QString& path)
{
    if (!QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()) {
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {path});
        if (info.waitForFinished(30000)) {
            const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)"),
                                           QRegularExpression::MultilineOption);
            const auto match = pages.match(QString::fromLocal8Bit(info.readAllStandardOutput()));
            if (match.hasMatch())
                return match.captured(1).toInt();
        }
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return static_cast<int>(
        QString::fromLatin1(file.readAll()).count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))));
}

}  // namespace

class TestQtPrinter : public QObject {
    Q_OBJECT
private slots:
    void oneCopyPrintsOnePageWithTheTestLine();
    void eachCopyIsAJobOfOnePage();
    void cancelPrintsNothing();
};

void TestQtPrinter::oneCopyPrintsOnePageWithTheTestLine()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    platform::QtPrinter printer([&](QPrinter& device) {
        device.setOutputFormat(QPrinter::PdfFormat);
        device.setOutputFileName(pdf);
        device.setCopyCount(1);
        return true;
    });
    FakeRecordStore store;
    FakeDialogs dialogs;
    Recorder recorder(store, printer, dialogs, QLocale::c());

    recorder.print();
    QVERIFY(QFile::exists(pdf));
    QCOMPARE(pdfPageCount(pdf), 1);
    if (const auto text = pdfText(pdf))
        QCOMPARE(text->trimmed(), QStringLiteral("打印测试"));
    QVERIFY(dialogs.messages.isEmpty());
}

void TestQtPrinter::eachCopyIsAJobOfOnePage()
{
    // Three copies asked for: the printer is told to make one copy of each
    // job, and each job goes to a file of its own holding one page.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    QStringList offered;
    platform::QtPrinter printer([&](QPrinter& device) {
        offered << device.outputFileName();
        device.setOutputFormat(QPrinter::PdfFormat);
        if (offered.size() == 1)
            device.setOutputFileName(pdf);
        device.setCopyCount(3);
        return true;
    });

    QCOMPARE(printer.choosePrinter(), std::optional<int>(3));
    QCOMPARE(printer.device().copyCount(), 1);
    for (int job = 1; job <= 3; ++job)
        QVERIFY(printer.printPage(QStringLiteral("打印测试")));
    for (const char* name : {"page-1.pdf", "page-2.pdf", "page-3.pdf"})
        QCOMPARE(pdfPageCount(dir.filePath(QLatin1String(name))), 1);
    QVERIFY(!QFile::exists(pdf));
    // The next dialogs offer the name the operator chose, the run report's
    // too: it does not overwrite the last copy.
    QVERIFY(printer.printPainted([](QPainter&, const QRect&) {}).value_or(false));
    QCOMPARE(offered.last(), pdf);
    QCOMPARE(pdfPageCount(pdf), 1);
    QVERIFY(printer.choosePrinter());
    QCOMPARE(offered.last(), pdf);
    QCOMPARE(platform::QtPrinter::numberedFileName(QStringLiteral("/a.b/report"), 12), QStringLiteral("/a.b/report-12"));
}

void TestQtPrinter::cancelPrintsNothing()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    platform::QtPrinter printer([&](QPrinter& device) {
        device.setOutputFormat(QPrinter::PdfFormat);
        device.setOutputFileName(pdf);
        return false;
    });
    FakeRecordStore store;
    FakeDialogs dialogs;
    Recorder recorder(store, printer, dialogs, QLocale::c());

    recorder.print();
    QVERIFY(!QFile::exists(pdf));
    QVERIFY(dialogs.messages.isEmpty());
}

QTEST_MAIN(TestQtPrinter)
#include "test_qtprinter.moc"
