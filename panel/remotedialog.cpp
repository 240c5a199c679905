#include "panel/remotedialog.h"

#include "panel/remoteaccess.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

template <typename W>
W* named(W* widget, const char* name, const QString& spoken)
{
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleName(spoken);
    return widget;
}

}  // namespace

RemoteDialog::RemoteDialog(RemoteAccess& access, QWidget* parent) : QDialog(parent), m_access(access)
{
    setObjectName(QStringLiteral("RemoteDialog"));
    setWindowTitle(tr("远程访问"));
    m_enabled = named(new QCheckBox(tr("开启远程访问"), this), "remoteEnabled", tr("开启远程访问"));
    m_listen = named(new QLineEdit(this), "remoteListen", tr("监听地址"));
    m_control = named(new QCheckBox(tr("允许远程控制（运行、停止、设定）"), this), "remoteControl", tr("允许远程控制"));
    m_link = named(new QLineEdit(this), "remoteLink", tr("带令牌的链接"));
    m_link->setReadOnly(true);
    m_link->setMinimumWidth(420);
    m_copy = named(new QPushButton(tr("复制链接"), this), "remoteCopy", tr("复制链接"));
    m_replace = named(new QPushButton(tr("更换令牌"), this), "remoteReplace", tr("更换令牌"));
    m_off = named(new QPushButton(tr("立即关闭"), this), "remoteOff", tr("立即关闭远程访问"));
    m_warning = named(new QLabel(tr("远程访问未加密"), this), "remoteWarning", tr("远程访问未加密"));
    m_warning->setStyleSheet(QStringLiteral("color: #b3261e; font-weight: bold;"));
    m_state = named(new QLabel(this), "remoteState", tr("远程访问状态"));
    m_state->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow(m_enabled);
    form->addRow(tr("监听地址："), m_listen);
    form->addRow(m_control);
    auto* linkRow = new QHBoxLayout;
    linkRow->addWidget(m_link, 1);
    linkRow->addWidget(m_copy);
    form->addRow(tr("链接："), linkRow);
    auto* actions = new QHBoxLayout;
    actions->addWidget(m_replace);
    actions->addWidget(m_off);
    actions->addStretch(1);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* apply = named(buttons->addButton(tr("应用"), QDialogButtonBox::ApplyRole), "remoteApply", tr("应用"));
    QPushButton* close = named(buttons->addButton(tr("关闭"), QDialogButtonBox::RejectRole), "remoteClose", tr("关闭"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(actions);
    layout->addWidget(m_warning);
    layout->addWidget(m_state);
    layout->addWidget(buttons);

    const remote::RemoteSettings& s = access.settings();
    m_enabled->setChecked(s.enabled && access.server().isRunning());
    m_listen->setText(s.listen());
    m_control->setChecked(s.control);
    connect(apply, &QPushButton::clicked, this, &RemoteDialog::applyChanges);
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    connect(m_off, &QPushButton::clicked, this, &RemoteDialog::turnOff);
    connect(m_replace, &QPushButton::clicked, this, &RemoteDialog::replaceToken);
    connect(m_copy, &QPushButton::clicked, this, [this] {
        if (!m_shownLink.isEmpty())
            QGuiApplication::clipboard()->setText(m_shownLink);
    });
    connect(&access, &RemoteAccess::changed, this, [this] { showState(); });
    showState();
}

void RemoteDialog::applyChanges()
{
    remote::RemoteSettings wanted = m_access.settings();
    if (!remote::parseListen(m_listen->text(), &wanted.host, &wanted.port)) {
        showState(tr("监听地址无效：%1（例如 127.0.0.1:8470）").arg(m_listen->text()));
        return;
    }
    wanted.enabled = m_enabled->isChecked();
    wanted.control = m_control->isChecked();
    const bool newToken = wanted.enabled && wanted.token.isEmpty();
    QString error;
    const bool ok = m_access.apply(wanted, &error);
    if (newToken && m_access.server().isRunning())
        m_shownLink = m_access.link();
    showState(ok ? QString() : error);
}

void RemoteDialog::turnOff()
{
    remote::RemoteSettings wanted = m_access.settings();
    wanted.enabled = false;
    m_enabled->setChecked(false);
    QString error;
    showState(m_access.apply(wanted, &error) ? QString() : error);
}

void RemoteDialog::replaceToken()
{
    QString error;
    const bool ok = m_access.replaceToken(&error);
    m_shownLink = m_access.link();
    showState(ok ? QString() : error);
}

void RemoteDialog::hideEvent(QHideEvent* event)
{
    // The token is shown once: closed, the dialog forgets it.
    m_shownLink.clear();
    showState();
    QDialog::hideEvent(event);
}

void RemoteDialog::showState(const QString& error)
{
    const bool on = m_access.server().isRunning();
    m_link->setText(m_shownLink);
    m_link->setPlaceholderText(m_access.settings().token.isEmpty() ? tr("开启后在此显示一次")
                                                                   : tr("令牌已设定，不再显示；可更换令牌"));
    m_copy->setEnabled(!m_shownLink.isEmpty());
    m_replace->setEnabled(on);
    m_off->setEnabled(on);
    m_warning->setVisible(m_access.unencryptedBeyondLoopback() && (on || m_enabled->isChecked()));
    QString text = on ? m_access.statusText() : tr("远程访问已关闭");
    if (!error.isEmpty())
        text = error + QLatin1Char('\n') + text;
    m_state->setText(text);
}
