#pragma once

#include "remote/mqttpublisher.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QSpinBox;

// 通信 › MQTT…: the [mqtt] settings. The window shows it without blocking
// (open()); settings() gives what the operator entered.
class MqttDialog : public QDialog {
    Q_OBJECT
public:
    // `defaultRoot`, `defaultClientId`: what an empty topic and client id
    // stand for, shown greyed in the empty fields.
    MqttDialog(const remote::MqttSettings& settings, const QString& defaultRoot, const QString& defaultClientId,
               QWidget* parent = nullptr);

    remote::MqttSettings settings() const;

private:
    QCheckBox* m_enabled = nullptr;
    QLineEdit* m_host = nullptr;
    QSpinBox* m_port = nullptr;
    QLineEdit* m_username = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_tlsCa = nullptr;
    QLineEdit* m_tlsCert = nullptr;
    QLineEdit* m_tlsKey = nullptr;
    QLineEdit* m_clientId = nullptr;
    QLineEdit* m_topic = nullptr;
    QCheckBox* m_control = nullptr;
};
