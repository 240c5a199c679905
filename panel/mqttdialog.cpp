#include "panel/mqttdialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSpinBox>

namespace {

QLineEdit* field(QFormLayout* form, const char* name, const QString& label, const QString& text,
                 const QString& placeholder = QString())
{
    auto* edit = new QLineEdit(text);
    edit->setObjectName(QLatin1String(name));
    edit->setAccessibleName(label);
    edit->setPlaceholderText(placeholder);
    edit->setMinimumWidth(280);
    form->addRow(label, edit);
    return edit;
}

QCheckBox* box(QFormLayout* form, const char* name, const QString& label, bool checked)
{
    auto* check = new QCheckBox(label);
    check->setObjectName(QLatin1String(name));
    check->setAccessibleName(label);
    check->setChecked(checked);
    form->addRow(QString(), check);
    return check;
}

}  // namespace

MqttDialog::MqttDialog(const remote::MqttSettings& s, const QString& defaultRoot, const QString& defaultClientId,
                       QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("mqttDialog"));
    setWindowTitle(tr("MQTT 设置"));
    setAccessibleName(windowTitle());
    auto* form = new QFormLayout;
    m_enabled = box(form, "mqttEnabled", tr("发布到 MQTT 服务器"), s.enabled);
    m_host = field(form, "mqttHost", tr("服务器"), s.host);
    m_port = new QSpinBox;
    m_port->setObjectName(QStringLiteral("mqttPort"));
    m_port->setRange(0, 65535);
    // 0 stands for the usual port: 1883, or 8883 with TLS.
    m_port->setSpecialValueText(tr("默认（1883，TLS 为 8883）"));
    m_port->setValue(s.port);
    m_port->setAccessibleName(tr("端口"));
    form->addRow(tr("端口"), m_port);
    m_username = field(form, "mqttUsername", tr("用户名"), s.username);
    m_password = field(form, "mqttPassword", tr("密码"), s.password);
    m_password->setEchoMode(QLineEdit::Password);
    m_tlsCa = field(form, "mqttTlsCa", tr("CA 证书文件（TLS）"), s.tlsCa);
    m_tlsCert = field(form, "mqttTlsCert", tr("客户端证书文件"), s.tlsCert);
    m_tlsKey = field(form, "mqttTlsKey", tr("客户端密钥文件"), s.tlsKey);
    m_clientId = field(form, "mqttClientId", tr("客户端 ID"), s.clientId, defaultClientId);
    m_topic = field(form, "mqttTopic", tr("主题根"), s.topic, defaultRoot);
    m_control = box(form, "mqttControl", tr("接受来自服务器的命令"), s.control);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->setObjectName(QStringLiteral("mqttButtons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    setLayout(form);
}

remote::MqttSettings MqttDialog::settings() const
{
    remote::MqttSettings s;
    s.enabled = m_enabled->isChecked();
    s.host = m_host->text().trimmed();
    s.port = m_port->value();
    s.username = m_username->text();
    s.password = m_password->text();
    s.tlsCa = m_tlsCa->text().trimmed();
    s.tlsCert = m_tlsCert->text().trimmed();
    s.tlsKey = m_tlsKey->text().trimmed();
    s.clientId = m_clientId->text().trimmed();
    s.topic = m_topic->text().trimmed();
    s.control = m_control->isChecked();
    return s;
}
