#include "panel/mainwindow.h"

#include "history/historysource.h"
#include "history/historywindow.h"
#include "history/journal.h"
#include "panel/alarmviews.h"
#include "panel/artwork.h"
#include "panel/journalfeed.h"
#include "panel/programwindow.h"
#include "panel/mqttdialog.h"
#include "panel/mqttfeed.h"
#include "remote/mqttpublisher.h"
#include "panel/remoteaccess.h"
#include "panel/remotedialog.h"
#include "record/chartwidget.h"
#include "record/refreshpacer.h"
#include "record/viewer.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QSysInfo>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

namespace {

constexpr QSize kClientSize{artwork::px(10905), artwork::px(7530)};

// The window surface: paints the background picture and opens the pop-up
// menu on a press of exactly the right button over itself. Presses over the
// controls belong to the controls and never reach it.
class Surface : public QWidget {
public:
    Surface(QMenu*& popup, QWidget* parent) : QWidget(parent), m_popup(popup)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        const qreal dpr = devicePixelRatioF();
        if (m_picture.isNull() || m_picture.devicePixelRatio() != dpr) {
            if (!m_painted) {
                // The first paint draws the picture straight onto the
                // window, so the window shows without waiting for a copy of
                // it; the copy that later repaints take from is made as soon
                // as the window is up.
                m_painted = true;
                QPainter painter(this);
                artwork::paintBackground(painter);
                QTimer::singleShot(0, this, [this] { keepPicture(); });
                return;
            }
            keepPicture();
        }
        QPainter painter(this);
        const QRect r = event->rect();
        painter.drawPixmap(r, m_picture, QRectF(QPointF(r.topLeft()) * dpr, QSizeF(r.size()) * dpr).toRect());
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        // Both buttons together, or any other button, open nothing.
        if (event->button() == Qt::RightButton && event->buttons() == Qt::RightButton && m_popup
            && m_popup->isEnabled())
            m_popup->popup(event->globalPosition().toPoint());
    }

private:
    // The picture at the window's density, only as large as the surface.
    void keepPicture()
    {
        const qreal dpr = devicePixelRatioF();
        if (!m_picture.isNull() && m_picture.devicePixelRatio() == dpr)
            return;
        m_picture = QPixmap(size() * dpr);
        m_picture.setDevicePixelRatio(dpr);
        QPainter p(&m_picture);
        artwork::paintBackground(p);
    }

    QMenu*& m_popup;
    QPixmap m_picture;
    bool m_painted = false;
};

// A value box: blue, a dark blue line round it, the text cyan while the pump
// answers, greyed while it is not live, yellow while typed and red, with a
// red line, when refused. Painted with its own colours rather than a style
// sheet, which costs several times as much at every repaint, and the same
// under every style. Its tooltip and accessible description say the state.
class ValueBox : public QLineEdit {
public:
    ValueBox(const QString& unit, QWidget* parent) : QLineEdit(parent), m_unit(unit)
    {
        setFrame(false);
        setTextMargins(1, 1, 1, 1);  // the text inside the line
        setAttribute(Qt::WA_OpaquePaintEvent);
        setState(BoxState::NoPort);
    }

    // Set only when it changes: this runs for every answer.
    void setState(BoxState state)
    {
        if (m_state == state)
            return;
        m_state = state;
        static const std::pair<BoxState, QColor> kText[] = {
            {BoxState::Live, QColor(0, 255, 255)},       {BoxState::Typing, QColor(255, 220, 90)},
            {BoxState::Refused, QColor(255, 120, 120)},  {BoxState::NoAnswerYet, QColor(128, 150, 170)},
            {BoxState::LinkLost, QColor(128, 150, 170)}, {BoxState::NoPort, QColor(128, 150, 170)}};
        QPalette colours = palette();
        colours.setColor(QPalette::Base, Qt::transparent);  // the box paints its own
        for (const auto& [s, colour] : kText) {
            if (s == state)
                colours.setColor(QPalette::Text, colour);
        }
        setPalette(colours);
        const QString words = Panel::boxStateText(state);
        setToolTip(words);
        setAccessibleDescription(Form1::tr("%1，%2").arg(m_unit, words));
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        {
            // The line as the edge of a fill: a stroked rectangle costs as
            // much as the rest of the box.
            QPainter painter(this);
            painter.fillRect(rect(), m_state == BoxState::Refused ? QColor(230, 0, 0) : QColor(0, 0, 80));
            painter.fillRect(rect().adjusted(1, 1, -1, -1), QColor(0, 0, 160));
        }
        QLineEdit::paintEvent(event);
    }

private:
    QString m_unit;
    std::optional<BoxState> m_state;
};

// A key that draws a ring inside its edge while it has the keyboard focus,
// seen on every picture whatever the style draws.
class KeyButton : public QToolButton {
public:
    using QToolButton::QToolButton;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QToolButton::paintEvent(event);
        if (!hasFocus())
            return;
        QPainter painter(this);
        painter.setPen(QPen(QColor(255, 170, 0), 2));
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 3, 3);
    }
};

struct KeyPlace {
    const char* face;
    const char* name;
    int index;
    int left;
    int top;
    const char* does;  // what a screen reader adds to the face (its source text)
};

// The sixteen keys; the keyboard focus visits them row by row, as they sit.
const KeyPlace kKeys[] = {
    {"1", "Cmd1", 0, 7360, 2160, ""},
    {"2", "Cmd2", 1, 8020, 2160, ""},
    {"3", "Cmd3", 2, 8680, 2160, ""},
    {"L", "Cmdl", 3, 6720, 3600, QT_TRANSLATE_NOOP("Form1", "输入流量")},
    {"4", "Cmd4", 4, 6720, 2640, ""},
    {"5", "Cmd5", 5, 7360, 2640, ""},
    {"6", "Cmd6", 6, 8020, 2640, ""},
    {"P", "Cmdp", 7, 7360, 3600, QT_TRANSLATE_NOOP("Form1", "输入压力")},
    {"7", "Cmd7", 8, 8680, 2640, ""},
    {"8", "Cmd8", 9, 6720, 3120, ""},
    {"9", "Cmd9", 10, 7360, 3120, ""},
    {"RUN", "Cmdr", 11, 8020, 3600, QT_TRANSLATE_NOOP("Form1", "运行泵")},
    {"0", "Cmd0", 13, 6720, 2160, ""},
    {"STOP", "Cmds", 15, 8680, 3600, QT_TRANSLATE_NOOP("Form1", "停止泵")},
    {"▲", "Cmd0", 0, 8020, 3120, QT_TRANSLATE_NOOP("Form1", "输入 0")},
    {"▼", "Cmd0", 1, 8680, 3120, QT_TRANSLATE_NOOP("Form1", "输入 0")},
};

}  // namespace

Form1::Form1(const platform::Services& services, QWidget* parent)
    : QMainWindow(parent)
    , m_dialogs(services.dialogs)
    , m_printer(services.printer)
    , m_settings(services.settings)
{
    m_panel = new Panel(services, this);
    m_remote = new RemoteAccess(*m_panel, services, this);
    if (services.makeMqtt) {
        const auto now = [] { return QDateTime::currentMSecsSinceEpoch(); };
        m_mqtt = std::make_unique<remote::MqttPublisher>(services.makeMqtt, now, QSysInfo::machineHostName());
        m_mqttFeed = std::make_unique<MqttFeed>(*m_panel, *m_remote, *m_mqtt, now);
        // The retained alarm list follows every raise, acknowledgement and clear.
        m_mqttFeed->setAlarmProvider([this] { return m_remote->alarms(); });
        connect(&m_panel->alarms(), &alarms::AlarmCore::transitioned, m_mqttFeed.get(), &MqttFeed::alarmsChanged);
    }
    m_pacer = new RefreshPacer([this] { paintHeld(); }, services.clock, this);
    if (const QScreen* screen = QGuiApplication::primaryScreen(); screen && screen->refreshRate() >= 1)
        m_pacer->setRefreshMs(static_cast<int>(1000 / screen->refreshRate()));
    setWindowTitle(QStringLiteral("Vantero(KRV7M31)V2.0"));
    setWindowIcon(artwork::windowIcon());
    buildMenus();
    buildControls();
    wire();
    buildAlarms(services);
    m_panel->Form_Load();
    showBoxes();
    showConnection();
    if (m_mqtt)
        m_mqtt->start(remote::MqttSettings::read(m_settings));
}

Form1::~Form1()
{
    // Says goodbye to the broker while the run history still hears it.
    if (m_mqtt)
        m_mqtt->stop();
}

QAction* Form1::addItem(QMenu* menu, const QString& name, const QString& caption)
{
    QAction* action = menu ? menu->addAction(caption) : menuBar()->addAction(caption);
    action->setObjectName(name);
    m_actions.insert(name, action);
    return action;
}

QMenu* Form1::addMenu(QMenu* parentMenu, const QString& name, const QString& caption)
{
    QMenu* menu = parentMenu ? parentMenu->addMenu(caption) : menuBar()->addMenu(caption);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    m_actions.insert(name, menu->menuAction());
    return menu;
}

void Form1::buildMenus()
{
    QMenu* file = addMenu(nullptr, QStringLiteral("file"), tr("文件(F)"));
    addItem(file, QStringLiteral("save"), tr("保存"));
    addItem(file, QStringLiteral("print"), tr("打印"));
    addItem(file, QStringLiteral("view"), tr("查看记录"));
    addItem(file, QStringLiteral("history"), tr("运行历史"));
    // Off at every start: the panel keeps no settings between runs.
    addItem(file, QStringLiteral("csvlog"), tr("CSV记录"))->setCheckable(true);
    addItem(file, QStringLiteral("end"), tr("退出"));

    QMenu* settime = addMenu(nullptr, QStringLiteral("settime"), tr("定时(T)"));
    addItem(settime, QStringLiteral("stset"), tr("设定"));
    QMenu* operation = addMenu(settime, QStringLiteral("operation"), tr("操作"));
    addItem(operation, QStringLiteral("ststart"), tr("开始"));
    addItem(operation, QStringLiteral("stzanting"), tr("暂停"));
    addItem(operation, QStringLiteral("stcontiune"), tr("继续"));
    addItem(operation, QStringLiteral("stend"), tr("结束"));
    addItem(settime, QStringLiteral("dose"), tr("定量输送"));
    addItem(settime, QStringLiteral("program"), tr("运行程序"));

    QMenu* pump = addMenu(nullptr, QStringLiteral("Pump"), tr("泵(O)"));
    addItem(pump, QStringLiteral("run"), tr("运行"));
    addItem(pump, QStringLiteral("stop"), tr("停止"));

    QMenu* seting = addMenu(nullptr, QStringLiteral("seting"), tr("设定(S)"));
    addItem(seting, QStringLiteral("liquid"), tr("流量"));
    addItem(seting, QStringLiteral("pressure"), tr("压力"));
    addItem(seting, QStringLiteral("Pump_NO"), tr("泵编号"));
    addItem(seting, QStringLiteral("alarmSettings"), tr("报警设置…"));
    addItem(seting, QStringLiteral("alarmList"), tr("报警记录…"));

    // "通信": the port, and remote access to the panel.
    QMenu* communication = addMenu(nullptr, QStringLiteral("CommunicationMenu"), tr("通信"));
    addItem(communication, QStringLiteral("Communication"), tr("端口…"));
    addItem(communication, QStringLiteral("remote"), tr("远程访问…"));
    addItem(communication, QStringLiteral("mqtt"), tr("MQTT…"));

    // The pop-up menu exists only as a pop-up: it is not in the menu bar.
    m_rightkey = new QMenu(tr("右键"), this);
    m_rightkey->setObjectName(QStringLiteral("rightkey"));
    m_rightkey->menuAction()->setObjectName(QStringLiteral("rightkey"));
    m_actions.insert(QStringLiteral("rightkey"), m_rightkey->menuAction());
    addItem(m_rightkey, QStringLiteral("rrun"), tr("运行"));
    addItem(m_rightkey, QStringLiteral("rstop"), tr("停止"));

    // "帮助(H)" has no action.
    addItem(nullptr, QStringLiteral("help"), tr("帮助(H)"));
}

void Form1::buildControls()
{
    m_surface = new Surface(m_rightkey, this);
    m_surface->setFixedSize(kClientSize);
    setCentralWidget(m_surface);

    // Value boxes: blue with cyan text, showing what the pump reports.
    // Each box speaks its name and unit; its text is its value.
    const auto makeBox = [this](const char* name, const char* spoken, const char* unit, int top) {
        auto* box = new ValueBox(tr(unit), m_surface);
        box->setObjectName(QLatin1String(name));
        box->setAccessibleName(tr(spoken));
        box->setGeometry(artwork::twipRect(8040, top, 615, 360));
        QFont font = artwork::songti(12);
        // Four digits must fit the 41-pixel box whichever CJK face stands in.
        font.setStretch(88);
        box->setFont(font);
        box->setReadOnly(true);
        box->setAlignment(Qt::AlignCenter);
        box->setAttribute(Qt::WA_NoMousePropagation);
        return box;
    };
    m_lqset = makeBox("lqset", QT_TR_NOOP("设定流量"), QT_TR_NOOP("毫升每分钟"), 1320);
    m_prset = makeBox("prset", QT_TR_NOOP("设定压力"), QT_TR_NOOP("兆帕"), 960);
    m_pnow = makeBox("pnow", QT_TR_NOOP("当前压力"), QT_TR_NOOP("兆帕"), 600);

    // Keypad.
    const QFont keyFont = artwork::songti(14.25);
    std::vector<const KeyPlace*> visual;
    for (const KeyPlace& place : kKeys) {
        const QString face = QString::fromUtf8(place.face);
        auto* button = new KeyButton(m_surface);
        button->setObjectName(QLatin1String(place.name));
        button->setProperty("index", place.index);
        button->setAccessibleName(face);
        button->setAccessibleDescription(*place.does ? tr(place.does) : QString());
        button->setToolTip(face);
        button->setFont(keyFont);
        button->setGeometry(artwork::twipRect(place.left, place.top, 615, 375));
        button->setIcon(artwork::keyPicture(face, devicePixelRatioF()));
        button->setIconSize(artwork::kKeyPictureSize);
        button->setAutoRaise(false);
        button->setFocusPolicy(Qt::StrongFocus);
        button->setAttribute(Qt::WA_NoMousePropagation);
        m_keys.insert(face, button);
        visual.push_back(&place);
    }
    std::stable_sort(visual.begin(), visual.end(), [](const KeyPlace* a, const KeyPlace* b) {
        return std::pair(a->top, a->left) < std::pair(b->top, b->left);
    });
    QWidget* previous = nullptr;
    for (const KeyPlace* place : visual) {
        QWidget* button = m_keys.value(QString::fromUtf8(place->face));
        if (previous)
            setTabOrder(previous, button);
        previous = button;
    }

    m_chart = new ChartWidget(m_panel->state(), m_surface);
    m_chart->setObjectName(QStringLiteral("Picture1"));
    m_chart->setAccessibleName(tr("压力曲线"));
    m_chart->setAccessibleDescription(tr("泵当前压力，兆帕"));
    m_chart->setGeometry(artwork::twipRect(600, 4680, 9975, 2175));
    m_chart->setFocusPolicy(Qt::StrongFocus);
    m_chart->setAttribute(Qt::WA_NoMousePropagation);
    setTabOrder(previous, m_chart);
    setTabOrder(m_chart, m_pnow);
    setTabOrder(m_pnow, m_prset);
    setTabOrder(m_prset, m_lqset);
    // The boxes come first in the window's focus chain, being made first; the
    // keyboard starts on the first key of the order instead.
    m_keys.value(QString::fromUtf8(visual.front()->face))->setFocus();

    // Elapsed-time display: hours, "时", minutes, "分", seconds, "秒".
    const QFont timeFont = artwork::songti(15.75);
    // The numbers speak as their value with the unit as description; the
    // unit labels speak their character.
    const struct {
        const char* name;
        QString text;
        int left;
        int width;
        QString unit;
    } labels[] = {{"lhour", QStringLiteral("00"), 0, 615, tr("小时")},
                  {"Label1", tr("时", "label after the hours"), 600, 495, QString()},
                  {"lmin", QStringLiteral("00"), 1080, 495, tr("分钟")},
                  {"Label2", tr("分", "label after the minutes"), 1560, 495, QString()},
                  {"lsed", QStringLiteral("00"), 2040, 615, tr("秒")},
                  {"Label3", tr("秒", "label after the seconds"), 2640, 495, QString()}};
    for (const auto& place : labels) {
        auto* label = new QLabel(place.text, m_surface);
        label->setObjectName(QLatin1String(place.name));
        label->setAccessibleName(label->text());
        label->setAccessibleDescription(place.unit);
        label->setFont(timeFont);
        label->setGeometry(artwork::twipRect(place.left, 0, place.width, 375));
        label->setAttribute(Qt::WA_NoMousePropagation);
        label->hide();
        m_labels.insert(QLatin1String(place.name), label);
    }

    // Beside the boxes, below their panel: the pump's state. Beside the
    // elapsed time: the timed run's target, time left and state.
    m_pumpState = new QLabel(m_surface);
    m_pumpState->setObjectName(QStringLiteral("pumpState"));
    m_pumpState->setGeometry(636, 138, 84, 40);
    m_pumpState->setAlignment(Qt::AlignCenter);
    m_pumpState->setFont(artwork::songti(10.5));
    m_timedState = new QLabel(m_surface);
    m_timedState->setObjectName(QStringLiteral("timedState"));
    m_timedState->setGeometry(216, 2, 184, 44);
    m_timedState->setFont(artwork::songti(10.5));
    m_timedState->setStyleSheet(QStringLiteral("color: #1a2a6c;"));
    m_timedState->hide();

    m_surface->setAccessibleName(tr("泵控制面板"));
    menuBar()->setAccessibleName(tr("菜单栏"));
    statusBar()->setAccessibleName(tr("状态栏"));
    m_connection = new QLabel(this);
    m_connection->setObjectName(QStringLiteral("connection"));
    m_connection->setAccessibleDescription(tr("连接状态"));
    m_connection->setContentsMargins(0, 0, 8, 0);
    m_stopWarning = new QLabel(this);
    m_stopWarning->setObjectName(QStringLiteral("stopWarning"));
    m_stopWarning->setStyleSheet(QStringLiteral("color: white; background: #c00000; padding: 1px 6px;"));
    m_stopWarning->hide();
    statusBar()->addPermanentWidget(m_stopWarning);
    m_remoteLabel = new QLabel(this);
    m_remoteLabel->setObjectName(QStringLiteral("remoteStatus"));
    m_remoteLabel->setAccessibleDescription(tr("远程访问状态"));
    m_remoteLabel->setContentsMargins(0, 0, 8, 0);
    m_remoteLabel->hide();
    statusBar()->addPermanentWidget(m_remoteLabel);
    statusBar()->addPermanentWidget(m_connection);
    // The broker's state, when MQTT is on.
    m_mqttLabel = new QLabel(this);
    m_mqttLabel->setObjectName(QStringLiteral("mqttState"));
    m_mqttLabel->setAccessibleDescription(tr("MQTT 状态"));
    m_mqttLabel->setContentsMargins(0, 0, 8, 0);
    m_mqttLabel->hide();
    statusBar()->addPermanentWidget(m_mqttLabel);
    statusBar()->setSizeGripEnabled(false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void Form1::wire()
{
    Panel* panel = m_panel;
    connect(panel, &Panel::menuEnabledChanged, this, [this](const QString& menu, bool enabled) {
        if (menu == QLatin1String("rightkey"))
            m_rightkey->setEnabled(enabled);
        else if (QAction* a = action(menu))
            a->setEnabled(enabled);
    });
    connect(panel, &Panel::boxesChanged, this, &Form1::showBoxes);
    connect(panel, &Panel::connectionChanged, this, &Form1::showConnection);
    connect(panel, &Panel::connectionChanged, this, &Form1::showBoxes);
    connect(panel, &Panel::stopKeptChanged, this, &Form1::showConnection);
    connect(panel, &Panel::pumpStateChanged, this, &Form1::showPumpState);
    connect(&panel->timedRun(), &TimedRun::phaseChanged, this, &Form1::showElapsedTime);
    // Alt and the letter in a menu's caption open that menu.
    for (const auto& [name, letter] : {std::pair{"file", Qt::Key_F}, std::pair{"settime", Qt::Key_T},
                                       std::pair{"Pump", Qt::Key_O}, std::pair{"seting", Qt::Key_S},
                                       std::pair{"help", Qt::Key_H}}) {
        QAction* menu = action(QLatin1String(name));
        connect(new QShortcut(QKeyCombination(Qt::AltModifier, letter), this), &QShortcut::activated, this,
                [this, menu] {
                    if (menu->isEnabled())
                        menuBar()->setActiveAction(menu);
                });
    }
    connect(panel, &Panel::answerApplied, this, &Form1::showAnswer);
    connect(&panel->link(), &PumpLink::readHandled, m_pacer, &RefreshPacer::changed);
    connect(panel, &Panel::notice, this, [this](const QString& text) { statusBar()->showMessage(text, 8000); });
    connect(panel, &Panel::exitRequested, this, [] { QCoreApplication::exit(0); });
    connect(m_remote, &RemoteAccess::changed, this, &Form1::showRemote);
    connect(action(QStringLiteral("remote")), &QAction::triggered, this, &Form1::showRemoteDialog);

    // Menu and pop-up items: each goes to the handler of its name.
    const std::pair<const char*, void (Panel::*)()> items[] = {
        {"Communication", &Panel::Communication},
        {"end", &Panel::end},
        {"save", &Panel::save},
        {"print", &Panel::print},
        {"view", &Panel::view},
        {"stset", &Panel::stset},
        {"ststart", &Panel::ststart},
        {"stzanting", &Panel::stzanting},
        {"stcontiune", &Panel::stcontiune},
        {"stend", &Panel::stend},
        {"run", &Panel::run},
        {"stop", &Panel::stop},
        {"rrun", &Panel::rrun},
        {"rstop", &Panel::rstop},
        {"liquid", &Panel::liquid},
        {"pressure", &Panel::pressure},
        {"Pump_NO", &Panel::Pump_NO},
        {"dose", &Panel::dose},
    };
    for (const auto& [name, handler] : items)
        connect(action(QLatin1String(name)), &QAction::triggered, panel, handler);
    // "CSV记录" is ticked while the log is on, whoever switched it.
    connect(action(QStringLiteral("csvlog")), &QAction::triggered, panel, &Panel::csvlog);
    connect(panel, &Panel::csvLogChanged, action(QStringLiteral("csvlog")), &QAction::setChecked);

    // The keypad. The 0 key and the two arrow keys are the members of Cmd0.
    for (const QString& face : {QStringLiteral("0"), QStringLiteral("▲"), QStringLiteral("▼")}) {
        QToolButton* button = key(face);
        const int index = button->property("index").toInt();
        connect(button, &QToolButton::clicked, panel, [panel, index] { panel->Cmd0(index); });
    }
    const std::pair<const char*, void (Panel::*)()> keys[] = {
        {"1", &Panel::Cmd1}, {"2", &Panel::Cmd2}, {"3", &Panel::Cmd3},    {"4", &Panel::Cmd4},
        {"5", &Panel::Cmd5}, {"6", &Panel::Cmd6}, {"7", &Panel::Cmd7},    {"8", &Panel::Cmd8},
        {"9", &Panel::Cmd9}, {"L", &Panel::Cmdl}, {"P", &Panel::Cmdp},    {"RUN", &Panel::Cmdr},
        {"STOP", &Panel::Cmds},
    };
    for (const auto& [face, handler] : keys)
        connect(key(QLatin1String(face)), &QToolButton::clicked, panel, handler);

    // Timer1's tick is wired inside the timed run; the labels follow its display.
    connect(&panel->timedRun(), &TimedRun::displayChanged, this, &Form1::showElapsedTime);
    connect(panel, &Panel::viewerRequested, this, &Form1::showViewer);
    connect(action(QStringLiteral("history")), &QAction::triggered, this, &Form1::showHistory);
    connect(action(QStringLiteral("program")), &QAction::triggered, this, [this] {
        programWindow()->show();
        programWindow()->raise();
    });
    connect(&panel->program(), &ProgramRun::started, this, [this] {
        if (m_panel->program().kind() == ProgramRun::Kind::Dose) {
            doseWindow()->show();
            doseWindow()->raise();
        }
    });
    connect(action(QStringLiteral("mqtt")), &QAction::triggered, this, &Form1::showMqttDialog);
    action(QStringLiteral("mqtt"))->setVisible(m_mqtt != nullptr);
    if (m_mqtt) {
        connect(m_mqtt.get(), &remote::MqttPublisher::stateChanged, this, &Form1::showMqttState);
        // Told once on the status line; nothing holds up the operator.
        connect(m_mqtt.get(), &remote::MqttPublisher::refused, this,
                [this](const QString& message) { statusBar()->showMessage(message, 30000); });
    }
}

void Form1::showMqttState()
{
    const QString text = m_mqtt->stateText();
    m_mqttLabel->setText(text);
    m_mqttLabel->setAccessibleName(text);
    m_mqttLabel->setVisible(!text.isEmpty());
}

void Form1::showMqttDialog()
{
    if (m_mqttDialog) {
        m_mqttDialog->raise();
        return;
    }
    m_mqttDialog = new MqttDialog(remote::MqttSettings::read(m_settings), m_mqtt->root(), m_mqtt->clientId(), this);
    m_mqttDialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_mqttDialog, &QDialog::accepted, this, &Form1::applyMqtt);
    connect(m_mqttDialog, &QObject::destroyed, this, [this] { m_mqttDialog = nullptr; });
    m_mqttDialog->open();
}

void Form1::applyMqtt()
{
    const remote::MqttSettings settings = m_mqttDialog->settings();
    if (m_settings) {
        settings.write(*m_settings);
        QString error;
        if (!m_settings->sync(&error))
            statusBar()->showMessage(tr("无法保存设置 %1：%2").arg(m_settings->path(), error), 8000);
    }
    m_mqtt->start(settings);
}

void Form1::showBoxes()
{
    setBoxTexts(false);
    // Whatever an answer left held goes out with this change.
    if (m_pacer->holding())
        m_pacer->paintHeld();
}

void Form1::setBoxTexts(bool hold)
{
    const PanelState& s = m_panel->state();
    // While the pump is silent the boxes say so in words, greyed, so nobody
    // mistakes them for live values; a box being typed into shows its digits.
    const bool stale = m_panel->link().linkLost();
    const Keypad& keypad = m_panel->keypad();
    const QString lost = tr("中断", "value box while the link is lost");
    for (auto [box, text, typing] : {std::tuple{m_pnow, s.pnow, false}, std::tuple{m_prset, s.prset, keypad.typingPressure()},
                                     std::tuple{m_lqset, s.lqset, keypad.typingFlow()}}) {
        if (stale && !typing)
            text = lost;
        if (box->text() == text)
            continue;
        if (hold && box->updatesEnabled()) {
            box->setUpdatesEnabled(false);
            m_heldBoxes.append(box);
        }
        box->setText(text);
    }
    // What each box shows, for the pump: live, not live, typed or refused.
    for (auto [box, which] : {std::pair{m_pnow, Box::Pnow}, std::pair{m_prset, Box::Prset},
                              std::pair{m_lqset, Box::Lqset}})
        static_cast<ValueBox*>(box)->setState(m_panel->boxState(which));
    showPumpState();
}

void Form1::showPumpState()
{
    const PumpState state = m_panel->pumpState();
    if (m_shownPumpState == state)
        return;
    m_shownPumpState = state;
    const QString text = Panel::pumpStateText(state);
    static const std::pair<PumpState, const char*> kColours[] = {
        {PumpState::Running, "color: white; background: #1e8c3a;"},
        {PumpState::Stopped, "color: white; background: #5a6478;"},
        {PumpState::Unknown, "color: #3c4660; background: #d2d8e2;"}};
    for (const auto& [shown, colours] : kColours) {
        if (shown == state)
            m_pumpState->setStyleSheet(QLatin1String(colours) + QStringLiteral(" border-radius: 4px;"));
    }
    m_pumpState->setText(tr("泵状态\n%1").arg(text));
    m_pumpState->setAccessibleName(tr("泵状态：%1").arg(text));
}

void Form1::showAnswer(const QByteArray&, const AnswerOutcome& outcome)
{
    // Texts are set at once (they are the boxes' values); what they and the
    // chart show goes to the screen once the read's answers are all in, at
    // once or (see RefreshPacer) within a refresh.
    setBoxTexts(true);
    m_chart->showAnswer(outcome);
}

void Form1::paintHeld()
{
    // Boxes that come back to updates ask for their repaint; the chart's
    // repaint paints them with it.
    for (QLineEdit* box : std::exchange(m_heldBoxes, {}))
        box->setUpdatesEnabled(true);
    m_chart->repaintHeld();
}

void Form1::showConnection()
{
    m_connection->setText(m_panel->connectionText());
    m_connection->setAccessibleName(m_connection->text());
    // A kept stop's warning stays until the stop reaches its pump.
    m_stopWarning->setText(m_panel->stopWarning());
    m_stopWarning->setAccessibleName(m_stopWarning->text());
    m_stopWarning->setVisible(m_panel->stopPending());
}

void Form1::showElapsedTime()
{
    const TimedRun& run = m_panel->timedRun();
    for (auto [name, text] : {std::pair{"lhour", run.lhour()}, std::pair{"lmin", run.lmin()},
                              std::pair{"lsed", run.lsed()}}) {
        QLabel* label = m_labels.value(QLatin1String(name));
        label->setText(text);
        label->setAccessibleName(text);
    }
    // Shown and hidden together, numbers first, then their units.
    for (const char* name : {"lhour", "lmin", "lsed", "Label1", "Label2", "Label3"})
        m_labels.value(QLatin1String(name))->setVisible(run.labelsVisible());
    m_timedState->setText(m_panel->timedRunText());
    m_timedState->setAccessibleName(m_timedState->text());
    m_timedState->setVisible(run.labelsVisible());
}

Form2* Form1::viewer()
{
    // The viewer is a window of its own, made when first wanted (not at
    // start-up); from then on it lives as long as this one.
    if (!m_viewer) {
        m_viewer = std::make_unique<Form2>([panel = m_panel] { return panel->Command2(); });
        connect(m_viewer.get(), &Form2::mainWindowWanted, this, &QWidget::show);
    }
    return m_viewer.get();
}

void Form1::showRemote()
{
    const QString text = m_remote->statusText();
    m_remoteLabel->setText(text);
    m_remoteLabel->setAccessibleName(text);
    m_remoteLabel->setVisible(!text.isEmpty());
}

RemoteDialog* Form1::remoteDialog()
{
    if (!m_remoteDialog)
        m_remoteDialog = std::make_unique<RemoteDialog>(*m_remote, this);
    return m_remoteDialog.get();
}

void Form1::showRemoteDialog()
{
    remoteDialog()->show();
    m_remoteDialog->raise();
}

void Form1::startRemote()
{
    QString error;
    if (!m_remote->startFromSettings(&error))
        statusBar()->showMessage(tr("远程访问无法启动：%1").arg(error), 15000);
}

void Form1::setJournal(history::Journal* journal)
{
    m_journalFeed.reset();
    m_journal = journal;
    m_remote->setJournal(journal);
    if (m_mqttFeed)
        m_mqttFeed->setJournal(journal);
    if (!journal)
        return;
    m_journalFeed = std::make_unique<JournalFeed>(*m_panel, *journal, m_dialogs);
    alarms::AlarmCore* alarmCore = &m_panel->alarms();
    connect(journal, &history::Journal::failed, this, [alarmCore] { alarmCore->setJournalFailed(true); }, Qt::QueuedConnection);
    connect(journal, &history::Journal::resumed, this, [alarmCore] { alarmCore->setJournalFailed(false); }, Qt::QueuedConnection);
    connect(journal, &history::Journal::resumed, this,
            [this](const QString& message) { statusBar()->showMessage(message, 8000); });
}

void Form1::showViewer()
{
    // Viewer first, so there is always a window on the screen.
    viewer()->show();
    hide();
}

void Form1::showHistory()
{
    if (m_history && m_history->isVisible()) {
        m_history->raise();
        m_history->activateWindow();
        return;
    }
    if (!m_journal || !m_exportFiles) {
        statusBar()->showMessage(tr("运行历史不可用：没有运行记录文件"), 8000);
        return;
    }
    if (!m_history) {
        m_history = std::make_unique<HistoryWindow>(*m_exportFiles, m_printer);
        // The live view ends where the journal's clock stands, not where the
        // wall clock does.
        m_history->setLiveEnd([this] { return m_journal ? m_journal->now() : 0; });
        // Each commit moves a live view on; a hidden window waits. Where the
        // journal went on in a new session (its file was replaced while
        // writing failed), the window follows that one, in the file as it is
        // now.
        connect(m_journal, &history::Journal::committed, m_history.get(), [this] {
            if (!m_history->isVisible())
                return;
            if (m_journal->restarts() != m_historyRestarts)
                openHistorySource();
            else
                m_history->refresh();
        });
    }
    if (!openHistorySource())
        return;
    m_history->show();
    m_history->raise();
}

bool Form1::openHistorySource()
{
    // Everything handed to the journal so far is in the file before the
    // window reads it.
    m_journal->flush(2000);
    QString error;
    std::unique_ptr<history::HistorySource> source = history::openJournal(m_journal->path(), &error);
    if (!source) {
        statusBar()->showMessage(tr("无法打开运行历史 %1：%2").arg(m_journal->path(), error), 8000);
        return false;
    }
    // Opened from the panel, the window follows this program's session.
    m_historyRestarts = m_journal->restarts();
    const qint64 live = m_journal->sessionId();
    m_history->setSource(source.get(), live > 0 ? std::optional<qint64>(live) : std::nullopt, m_journal->path());
    m_historySource = std::move(source);
    return true;
}

ProgramWindow* Form1::programWindow()
{
    if (!m_program)
        m_program = std::make_unique<ProgramWindow>(*m_panel, m_dialogs, m_exportFiles);
    return m_program.get();
}

DoseWindow* Form1::doseWindow()
{
    if (!m_dose)
        m_dose = std::make_unique<DoseWindow>(*m_panel);
    return m_dose.get();
}

bool Form1::openProgram(const QString& path)
{
    programWindow()->show();
    return programWindow()->openFile(path);
}

void Form1::buildAlarms(const platform::Services& services)
{
    alarms::AlarmCore& core = m_panel->alarms();
    // Left of the connection text; hidden, it takes no room at all.
    m_alarmBand = new AlarmBand(core, this);
    statusBar()->insertPermanentWidget(0, m_alarmBand);
    connect(action(QStringLiteral("alarmList")), &QAction::triggered, this, &Form1::showAlarmList);
    connect(action(QStringLiteral("alarmSettings")), &QAction::triggered, this, &Form1::showAlarmSettings);
    if (platform::AlarmSound* sound = services.alarmSound)
        connect(&core, &alarms::AlarmCore::changed, this, [sound, &core] { sound->setSounding(core.soundWanted()); });
    if (platform::Attention* attention = services.attention) {
        connect(&core, &alarms::AlarmCore::transitioned, this, [this, attention](const alarms::Transition& t) {
            if (t.kind == alarms::Transition::Raised)
                attention->call(windowTitle(), tr("报警：%1").arg(alarmText(t.alarm)));
        });
    }
}

void Form1::showAlarmList()
{
    if (!m_alarmList)
        m_alarmList = std::make_unique<AlarmListWindow>(m_panel->alarms());
    m_alarmList->show();
    m_alarmList->raise();
}

void Form1::showAlarmSettings()
{
    // Not modal: the panel, its answers and its alarms go on while it is open.
    if (m_alarmSettings) {
        m_alarmSettings->raise();
        return;
    }
    auto* dialog = new AlarmSettingsDialog(m_panel->alarms().config(), [this](const alarms::Config& config) {
        QString error;
        if (!m_panel->setAlarmConfig(config, &error))
            m_dialogs.notify(tr("报警设置已生效，但无法写入设置文件：%1").arg(error), tr("报警设置"));
    }, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_alarmSettings = dialog;
    connect(dialog, &QObject::destroyed, this, [this] { m_alarmSettings = nullptr; });
    dialog->show();
}

void Form1::closeEvent(QCloseEvent* event)
{
    m_panel->Form_Unload();
    for (QWidget* w : {static_cast<QWidget*>(m_program.get()), static_cast<QWidget*>(m_dose.get())}) {
        if (w)
            w->close();
    }
    // The history window does not keep the program running on its own.
    if (m_history)
        m_history->close();
    if (m_alarmList)
        m_alarmList->close();
    event->accept();
}
