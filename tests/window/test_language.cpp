// The panel in English and in Chinese: every window, dialog and message it can
// show, driven through the fakes, with every text on screen collected (window
// titles, labels, buttons, menus, tooltips, accessible names, table headers
// and cells, status lines, the texts the painters draw). In English none may
// hold a Chinese character; in Chinese the texts are exactly today's.
#include "fakes/fakeexportfiles.h"
#include "fakes/journalrows.h"
#include "fakes/fakeservices.h"
#include "history/historyplot.h"
#include "history/historywindow.h"
#include "history/journal.h"
#include "history/report.h"
#include "history/timeaxis.h"
#include "panel/artwork.h"
#include "panel/mainwindow.h"
#include "panel/programwindow.h"
#include "platform/failures.h"
#include "platform/language.h"
#include "platform/recorded.h"
#include "record/viewer.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QMainWindow>
#include <QMenu>
#include <QPaintEngine>
#include <QStatusBar>
#include <QTextItem>
#include <QToolButton>
#include <QtTest>

#include <cerrno>

using platform::Language;

namespace {

// A paint device that keeps the texts drawn on it. A text that mixes scripts
// comes in pieces, one per font; pieces that follow on one line are joined.
class TextRecorder : public QPaintDevice, public QPaintEngine {
public:
    QStringList texts;
    QPointF lastEnd;
    QPaintEngine* paintEngine() const override { return const_cast<TextRecorder*>(this); }
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
        case PdmHeight:
            return 1200;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 96;
        }
    }
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF& at, const QTextItem& item) override
    {
        if (!texts.isEmpty() && (at - lastEnd).manhattanLength() < 0.5)
            texts.last() += item.text();
        else
            texts << item.text();
        lastEnd = at + QPointF(item.width(), 0);
    }
    Type type() const override { return User; }
};

// Chinese characters and the CJK and full-width punctuation Chinese texts use.
bool hasChinese(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x2E80 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

void addItemTexts(QStringList& seen, const QAbstractItemModel* model, const QModelIndex& parent = {})
{
    for (int c = 0; c < model->columnCount(parent); ++c)
        seen << model->headerData(c, Qt::Horizontal).toString();
    for (int r = 0; r < model->rowCount(parent); ++r) {
        for (int c = 0; c < model->columnCount(parent); ++c) {
            const QModelIndex i = model->index(r, c, parent);
            seen << i.data().toString() << i.data(Qt::ToolTipRole).toString();
        }
    }
}

// Every text a window shows or speaks, and the texts it paints.
void addWindowTexts(QStringList& seen, QWidget* window)
{
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* w : widgets) {
        seen << w->windowTitle() << w->toolTip() << w->accessibleName() << w->accessibleDescription();
        if (auto* label = qobject_cast<QLabel*>(w))
            seen << label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            seen << button->text();
        if (auto* box = qobject_cast<QGroupBox*>(w))
            seen << box->title();
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            seen << edit->text();
        if (auto* view = qobject_cast<QAbstractItemView*>(w))
            addItemTexts(seen, view->model());
        if (auto* main = qobject_cast<QMainWindow*>(w))
            seen << main->statusBar()->currentMessage();
        if (auto* menu = qobject_cast<QMenu*>(w))
            seen << menu->title();
    }
    for (QAction* a : window->findChildren<QAction*>())
        seen << a->text() << a->toolTip();
    TextRecorder painted;
    window->render(&painted);
    seen += painted.texts;
}

// A session with an event of every kind and source, the reasons as the
// journal keeps them.
void fillHistory(SessionAt& h, qint64 t0)
{
    using history::EventKind;
    qint64 t = t0;
    for (int k = 0; k <= int(EventKind::AlarmCommandFailed); ++k) {
        const auto kind = EventKind(k);
        if (kind == EventKind::Command || kind == EventKind::PortOpenFailed || kind == EventKind::PortLost
            || kind == EventKind::RecordSaveFailed || kind == EventKind::CsvLogOff)
            continue;
        t += 1000;
        h.event(t, kind, QStringLiteral("1 → 2"), history::Source(1 + t / 1000 % 8));
    }
    for (const char* frame : {"Q00R0000Y", "Q00S0000Y", "Q00L0100Y", "Q00P01.5Y", "dropped, no port open: Q00R0000Y"})
        h.event(t += 1000, EventKind::Command, QLatin1String(frame), history::Source::Keypad);
    const QString lost = platform::failures::portReason(QSerialPort::ResourceError, EIO, QStringLiteral("I/O error"));
    h.event(t += 1000, EventKind::PortOpenFailed, QStringLiteral("COM9: ") + lost);
    h.event(t += 1000, EventKind::PortLost, QStringLiteral("COM4: ") + lost);
    h.event(t += 1000, EventKind::RecordSaveFailed, QStringLiteral("/r/mytext.txt: ") + lost);
    h.event(t += 1000, EventKind::CsvLogOff, recorded::text(recorded::kCsvNotWritten).arg(QStringLiteral("/r/log.csv"), lost));
    h.event(t += 1000, EventKind::UncleanEnd, QStringLiteral("no clean exit; noticed when session 2 started"));
    for (qint64 r = t0; r < t; r += 1500)
        h.reading(r, 0.5);
    h.journal.flush();
}

// Every window, dialog and message of the panel and the history window in
// `language`: the texts seen, and what the journal was handed meanwhile.
struct Everything {
    QStringList seen;
    QStringList report;  // the texts of the printed report
    QStringList journalReasons;
};

Everything showEverything(Language language, const QString& screenshots = {})
{
    platform::installLanguage(language);
    Everything out;
    FakeServices fakes;
    fakes.portList = {{QStringLiteral("sim"), QCoreApplication::translate("pumpsim", "内置模拟泵")}};
    auto* window = new Form1(fakes.services());
    Panel& panel = window->panel();
    QObject::connect(&panel, &Panel::notice, [&](const QString& text) { out.seen << text; });
    QObject::connect(&panel, &Panel::portChanged, [&](PortChange, const QString&, const QString& reason) {
        out.journalReasons << reason;
    });
    addWindowTexts(out.seen, window);  // nothing connected yet

    fakes.refuseOpen = platform::failures::portReason(QSerialPort::DeviceNotFoundError, ENOENT, QString());
    fakes.dialogs.answer(QStringLiteral("COM9"));
    panel.Communication();
    fakes.refuseOpen.clear();
    fakes.dialogs.answer(QStringLiteral("COM4"));
    panel.Communication();
    for (const char* answer : {"600", "5", "200", "1"})
        fakes.dialogs.answer(QLatin1String(answer));
    panel.liquid();
    panel.pressure();
    panel.Pump_NO();
    panel.stset();
    panel.ststart();
    for (const char* key : {"L", "9", "9", "9", "P", "3", "0", "0"})
        window->key(QLatin1String(key))->click();
    panel.save();
    fakes.store.failWith = platform::failures::fileReason(QFileDevice::WriteError, ENOSPC, QString(),
                                                          platform::failures::Use::Writing);
    panel.save();
    fakes.store.readFailure = fakes.store.failWith;
    panel.print();
    out.seen += fakes.printer.jobs;
    fakes.logFiles.failCreate = platform::failures::fileReason(QFileDevice::OpenError, EROFS, QString(),
                                                               platform::failures::Use::Writing);
    panel.csvlog(true);
    fakes.logFiles.failCreate.clear();
    fakes.logFiles.appendsBeforeFailure = 1;
    panel.csvlog(true);
    fakes.port->feed("Q00N00.5Y");
    fakes.port->feed("Q00N00.6Y");
    for (int i = 0; i < 4; ++i)
        panel.link().pollTick();
    addWindowTexts(out.seen, window);  // connected, timed run shown, link lost
    fakes.port->failLine(platform::failures::portReason(QSerialPort::ResourceError, EIO, QString()));
    panel.stop();
    panel.view();
    window->viewer()->Command2_Click();
    addWindowTexts(out.seen, window->viewer());
    // A delivery in place of the timed run, and a program with a bad cell.
    fakes.dialogs.answer(QStringLiteral("50"));
    fakes.dialogs.answer(QStringLiteral("100"));
    fakes.dialogs.yes << true << true;
    panel.dose();
    addWindowTexts(out.seen, window->doseWindow());
    window->programWindow()->setSteps({{60000, 100, 1.5, program::Change::Step}, {1000, 200, {}, program::Change::Ramp}});
    window->programWindow()->table()->item(1, program::PressureColumn)->setText(QStringLiteral("9"));
    addWindowTexts(out.seen, window->programWindow());
    for (const FakeDialogs::Input& in : fakes.dialogs.inputs)
        out.seen << in.prompt << in.title << in.defaultAnswer << in.choices;
    for (const FakeDialogs::Message& m : fakes.dialogs.messages)
        out.seen << m.text << m.caption;

    const qint64 t0 = QDateTime(QDate(2024, 5, 1), QTime(14, 0)).toMSecsSinceEpoch();
    JournalFile file;
    SessionAt written(file.path, t0);
    fillHistory(written, t0);
    const auto journal = history::openJournal(file.path, nullptr);
    if (!journal) {
        QTest::qFail("the journal cannot be read", __FILE__, __LINE__);
        return out;
    }
    FakeExportFiles files;
    HistoryWindow history(files, fakes.printer);
    history.setClock([t0] { return t0 + 60000; });
    history.setSource(journal.get(), 1, QStringLiteral("/h/history.sqlite3"));
    history.resize(1010, 700);
    history.show();
    history.plot()->setCursors(t0 + 2000, t0 + 20000);
    history.updateStats();
    history.showReadout(t0 + 3000);
    history.fitAll();
    for (const char* name : {"exportCsv", "exportEvents", "exportPng", "exportPdf", "reportPdf", "printReport"}) {
        files.answers << QStringLiteral("/out/x");
        history.action(QLatin1String(name))->trigger();
        out.seen << history.statusBar()->currentMessage();
    }
    out.seen += files.asked;
    addWindowTexts(out.seen, &history);
    out.seen << history::durationText(90061000);
    TextRecorder report;
    QPainter painter(&report);
    history::ReportContent content;
    content.session = journal->sessions().first();
    content.events = journal->events(1, t0, t0 + 60000);
    content.picture.data = journal->plot(1, t0, t0 + 60000, 100);
    history::paintReport(painter, QRect(0, 0, 794, 1123), content);
    painter.end();
    out.seen += report.texts;
    out.report = report.texts;

    history::Journal unwritable(QStringLiteral("/proc/none/history.sqlite3"), QStringLiteral("2.0"));
    QSignalSpy failed(&unwritable, &history::Journal::failed);
    failed.wait(5000);
    for (const QList<QVariant>& message : failed)
        out.seen << message.first().toString();

    if (!screenshots.isEmpty()) {
        const QString suffix = language == Language::English ? QStringLiteral("-en.png") : QStringLiteral("-zh.png");
        window->show();
        window->grab().save(screenshots + QStringLiteral("/panel") + suffix);
        window->viewer()->grab().save(screenshots + QStringLiteral("/viewer") + suffix);
        history.grab().save(screenshots + QStringLiteral("/history") + suffix);
        fakes.printer.pages.last().save(screenshots + QStringLiteral("/report") + suffix);
    }
    delete window;
    out.seen.removeAll(QString());
    return out;
}

}  // namespace

class TestLanguage : public QObject {
    Q_OBJECT
private slots:
    void chooseLanguage_data();
    void chooseLanguage();
    void englishShowsNoChinese();
    void chineseTextsAreToday();
};

void TestLanguage::chooseLanguage_data()
{
    QTest::addColumn<QStringList>("preferred");
    QTest::addColumn<bool>("english");
    QTest::newRow("English") << QStringList{"en-US", "en-Latn-US", "en"} << true;
    QTest::newRow("British, then Chinese") << QStringList{"en-GB", "zh-CN"} << true;
    QTest::newRow("German, then English") << QStringList{"de-DE", "de", "en"} << true;
    QTest::newRow("Chinese, then English") << QStringList{"zh-Hans-CN", "zh", "en-US"} << false;
    QTest::newRow("French, Chinese, English") << QStringList{"fr", "zh_TW", "en"} << false;
    QTest::newRow("German only") << QStringList{"de-DE"} << false;
    QTest::newRow("C locale") << QStringList{"C"} << false;
    QTest::newRow("nothing") << QStringList{} << false;
    QTest::newRow("not a language that starts with en") << QStringList{"eng-x", "enx"} << false;
}

void TestLanguage::chooseLanguage()
{
    QFETCH(QStringList, preferred);
    QFETCH(bool, english);
    QCOMPARE(platform::chooseLanguage(preferred) == Language::English, english);
}

void TestLanguage::englishShowsNoChinese()
{
    const Everything english = showEverything(Language::English, qEnvironmentVariable("PUMP_SCREENSHOT_DIR"));
    QStringList chinese;
    for (const QString& text : english.seen) {
        if (hasChinese(text))
            chinese << text;
    }
    QVERIFY2(chinese.isEmpty(), qPrintable(chinese.join(QStringLiteral("\n"))));
    for (const char* text : {"File (F)", "Flow setting error!", "Enter the flow in ml/min\r\nRange 1—500 ml/min",
                             "Cannot open port COM9: Port does not exist", "Current pump pressure (MPa)", "Print test",
                             "Input communication port", "Commport", "Run history", "Cursors"}) {
        QVERIFY2(english.seen.filter(QString::fromUtf8(text)).size() > 0, text);
    }
    // What the journal keeps does not change with the language.
    QCOMPARE(english.journalReasons, (QStringList{"端口不存在", QString(), "端口已断开"}));
}

void TestLanguage::chineseTextsAreToday()
{
    const Everything everything = showEverything(Language::Chinese, qEnvironmentVariable("PUMP_SCREENSHOT_DIR"));
    const QStringList& seen = everything.seen;
    const char* const today[] = {
        "文件(F)", "保存", "打印", "查看记录", "运行历史", "CSV记录", "退出", "定时(T)", "设定", "操作", "开始", "暂停",
        "继续", "结束", "泵(O)", "运行", "停止", "设定(S)", "流量", "压力", "泵编号", "通信", "帮助(H)",
        "恒流泵 控制面板", "当前压力", "设定压力", "设定流量", "泵当前压力 (MPa)", "时", "分", "秒", "未连接",
        "Input communication port", "Commport", "sim — 内置模拟泵",
        "请输入您需要的流量 单位 ml/min \r\n流量范围为1\u2014500ml/min", "流量设定", "流量设定错误!", "错误",
        "请输入您需要保护压 单位 MPa\r\n压力设定范围为0\u20142.0MPa", "压力设定", "压力设定错误!",
        "请输入要控制泵的编号 ", "编号设定", "泵编号设定错误! 编号范围为0\u201499", "请输入设定时间 单位 分 ", "时间设定",
        "流量设定错误", "压力设定错误", "设定错误", "当前压力数值以存储", "存储数据", "打印测试",
        "无法打开端口 COM9：端口不存在", "压力记录文件：/records/mytext.txt", "泵启动和停止时间记录", "Command2",
        "压力数值未能存储到 /records/mytext.txt：磁盘已满",
        "无法在 /records/pump-log 建立CSV记录文件：文件系统为只读\nCSV记录已关闭；泵的控制不受影响。",
        "端口 COM4 已断开\n请用“通信”重新打开端口。", "停止命令未送达", "通信中断 0 秒  COM4 9600,n,8,1",
        "全部显示", "回到实时", "导出读数CSV…", "运行报告", "端口丢失", "COM4: 端口已断开 (I/O error)", "右键菜单",
        "定时自动停止", "压力上限 (MPa)", "1天01小时", "没有正常退出；运行 2 开始时发现",
    };
    QStringList missing;
    for (const char* text : today) {
        if (!seen.contains(QString::fromUtf8(text)))
            missing << QString::fromUtf8(text);
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(" | "))));
    // A report with more events than fit lists the stop before set-point commands.
    QVERIFY(everything.report.contains(QStringLiteral("Q00S0000Y")));
    QVERIFY(!everything.report.contains(QStringLiteral("Q00L0100Y")));
    // Details the journal keeps in English are shown in the interface's language.
    QCOMPARE(seen.filter(QRegularExpression(QStringLiteral("dropped|no clean exit"))), QStringList());
}

QTEST_MAIN(TestLanguage)
#include "test_language.moc"
