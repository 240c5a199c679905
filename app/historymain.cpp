// pump-history: the run history window on a journal file, for looking at past
// runs with no pump, or at a journal copied from another PC; and, with --csv,
// one session's readings written as CSV for lab scripts, with no window.
#include "history/export.h"
#include "history/historysource.h"
#include "history/historywindow.h"
#include "history/report.h"
#include "platform/qtdialogs.h"
#include "platform/qtexportfiles.h"
#include "platform/language.h"
#include "platform/qtprinter.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>

#include <cstdio>
#include <cstring>

#if defined(Q_OS_WIN)
#include <fcntl.h>
#include <io.h>
#endif
#include <limits>
#include <memory>

namespace {

void say(const QString& text)
{
    std::fprintf(stderr, "pump-history: %s\n", text.toLocal8Bit().constData());
}

int writeCsv(history::HistorySource& source, const QString& file, const QString& out, const QString& sessionText)
{
    std::optional<qint64> wanted;
    if (!sessionText.isEmpty()) {
        bool ok = false;
        wanted = sessionText.toLongLong(&ok);
        if (!ok) {
            say(QCoreApplication::translate("pump-history", "--session 需要运行编号，而不是“%1”").arg(sessionText));
            return 2;
        }
    }
    const QList<history::SessionInfo> sessions = source.sessions();
    if (!source.lastError().isEmpty()) {
        say(source.lastError());
        return 1;
    }
    const std::optional<history::SessionInfo> session = history::exportcsv::pickSession(sessions, wanted);
    if (!session) {
        say(wanted ? QCoreApplication::translate("pump-history", "%1 中没有运行 %2").arg(file).arg(*wanted)
                   : QCoreApplication::translate("pump-history", "%1 中没有运行记录").arg(file));
        return 1;
    }
    const qint64 end = std::numeric_limits<qint64>::max() / 4;
    QString error;
    qint64 written = 0;
    const auto write = [&](QIODevice& device) {
        return history::exportcsv::writeReadings(source, session->id, session->startedMs, end, device, &error, &written);
    };
    bool ok = false;
    if (out == QLatin1String("-")) {
#if defined(Q_OS_WIN)
        // The lines end in CR LF already: a text-mode stdout would make them CR CR LF.
        _setmode(_fileno(stdout), _O_BINARY);
#endif
        QFile standardOutput;
        ok = standardOutput.open(stdout, QIODevice::WriteOnly) && write(standardOutput);
    } else {
        platform::QtExportFiles files;
        ok = files.writeFile(out, write, &error);
    }
    if (!ok && !source.lastError().isEmpty()) {
        // The journal could not be read to the end: no CSV that looks whole.
        say(QCoreApplication::translate("pump-history", "导出未完成，%1 未写出：%2").arg(out, source.lastError()));
        return 1;
    }
    if (!ok) {
        say(QCoreApplication::translate("pump-history", "无法写入 %1：%2").arg(out, error));
        return 1;
    }
    say(QCoreApplication::translate("pump-history", "运行 %2 的 %1 个读数已写入 %3")
            .arg(written)
            .arg(session->id)
            .arg(out));
    // The same figures the window and the report give for the whole run.
    const history::RangeStats stats = source.stats(session->id, session->startedMs, session->lastMs);
    say(source.lastError().isEmpty() ? history::statsText(stats) : source.lastError());
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    // The CSV export and the help run without a display.
    bool windowless = false;
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"--csv", "--help", "-h", "--help-all", "-?"})
            windowless = windowless || std::strncmp(argv[i], option, std::strlen(option)) == 0;
    }
    std::unique_ptr<QCoreApplication> app(windowless ? new QCoreApplication(argc, argv) : new QApplication(argc, argv));
    QCoreApplication::setApplicationName(QStringLiteral("pump-history"));
    platform::installSystemLanguage();

    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "pump-history", "显示泵控制面板的运行历史：各次运行的压力、设定值和事件随时间的变化。\n"
                        "使用 --csv 时，把一次运行的读数写成CSV后退出（默认为最新一次运行，\n"
                        "可用 --session 指定）。"));
    parser.addHelpOption();
    const QCommandLineOption csv(
        QStringLiteral("csv"),
        QCoreApplication::translate("pump-history", "把读数写到 <out.csv>（“-”：标准输出）后退出。"),
        QStringLiteral("out.csv"));
    const QCommandLineOption session(
        QStringLiteral("session"), QCoreApplication::translate("pump-history", "要写出的运行（默认：最新一次）。"),
        QStringLiteral("N"));
    parser.addOption(csv);
    parser.addOption(session);
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QCoreApplication::translate("pump-history", "运行历史文件（默认：%1）。").arg(history::defaultJournalPath()),
        QStringLiteral("[FILE]"));
    parser.process(*app);
    if (parser.positionalArguments().size() > 1) {
        say(QCoreApplication::translate("pump-history", "最多只能给一个运行历史文件；见 --help"));
        return 2;
    }
    if (parser.isSet(session) && !parser.isSet(csv)) {
        say(QCoreApplication::translate("pump-history", "--session 须与 --csv 一起使用；见 --help"));
        return 2;
    }
    const QString file =
        parser.positionalArguments().isEmpty() ? history::defaultJournalPath() : parser.positionalArguments().first();

    QString error;
    std::unique_ptr<history::HistorySource> source = history::openJournal(file, &error);
    if (parser.isSet(csv)) {
        if (!source) {
            say(QCoreApplication::translate("pump-history", "无法读取 %1：%2").arg(file, error));
            return 1;
        }
        return writeCsv(*source, file, parser.value(csv), parser.value(session));
    }

    QGuiApplication::setDesktopFileName(QStringLiteral("pump-history"));
    if (!source) {
        platform::QtDialogs dialogs;
        dialogs.messageBox(QCoreApplication::translate("pump-history", "无法读取运行历史文件 %1：%2").arg(file, error),
                           QCoreApplication::translate("pump-history", "运行历史"));
        return 1;
    }
    platform::QtExportFiles files;
    platform::QtPrinter printer;
    HistoryWindow window(files, printer);
    files.setParentWindow(&window);
    printer.setDialogParent(&window);
    window.setSource(source.get(), std::nullopt, file);
    window.show();
    return app->exec();
}
