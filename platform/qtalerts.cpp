#include "platform/qtalerts.h"

#include <QApplication>
#include <QDataStream>
#include <QDir>
#include <QProcess>
#include <QSoundEffect>
#include <QSystemTrayIcon>
#include <QTemporaryFile>
#include <QTimer>
#include <QUrl>

#include <cmath>

namespace platform {

namespace {

// One second of 16-bit mono at 8 kHz: 880 Hz for 0.3 s with soft edges,
// then quiet, so a loop beeps once a second.
QByteArray beep()
{
    constexpr int kRate = 8000;
    constexpr int kSamples = kRate;
    constexpr int kToneSamples = kRate * 3 / 10;
    QByteArray pcm;
    QDataStream pcmOut(&pcm, QIODevice::WriteOnly);
    pcmOut.setByteOrder(QDataStream::LittleEndian);
    for (int i = 0; i < kSamples; ++i) {
        double v = 0;
        if (i < kToneSamples) {
            const double edge = std::min({1.0, i / 200.0, (kToneSamples - i) / 200.0});
            v = 0.4 * edge * std::sin(2 * M_PI * 880 * i / kRate);
        }
        pcmOut << static_cast<qint16>(std::lround(v * 32767));
    }
    QByteArray wav;
    QDataStream out(&wav, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + pcm.size());
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(kRate) << quint32(kRate * 2) << quint16(2)
        << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(pcm.size());
    out.writeRawData(pcm.constData(), pcm.size());
    return wav;
}

}  // namespace

QtAlarmSound::QtAlarmSound() = default;
QtAlarmSound::~QtAlarmSound() = default;

void QtAlarmSound::setSounding(bool on)
{
    if (on == m_on)
        return;
    m_on = on;
    if (!m_effect) {
        if (!on)
            return;
        // Made on first use: a panel that never raises an alarm opens no
        // audio at all.
        // In the system's temporary folder: a name without a folder would put
        // it in whatever folder the panel was started from.
        m_file = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/pump-panel-alarm-XXXXXX.wav"));
        if (!m_file->open())
            return;
        m_file->write(beep());
        m_file->flush();
        m_effect = std::make_unique<QSoundEffect>();
        m_effect->setSource(QUrl::fromLocalFile(m_file->fileName()));
        m_effect->setLoopCount(QSoundEffect::Infinite);
        m_effect->setVolume(0.8f);
    }
    if (on)
        m_effect->play();
    else
        m_effect->stop();
}

QtAttention::QtAttention() = default;
QtAttention::~QtAttention() = default;

void QtAttention::call(const QString& title, const QString& text)
{
    if (m_window)
        QApplication::alert(m_window);
    if (!QSystemTrayIcon::isSystemTrayAvailable() || !QSystemTrayIcon::supportsMessages())
        return;
    if (!m_tray) {
        m_tray = std::make_unique<QSystemTrayIcon>(m_window ? m_window->windowIcon() : QIcon());
        m_tray->show();
    }
    m_tray->showMessage(title, text, QSystemTrayIcon::Warning, 10000);
}

void QtLauncher::launch(const QString& program, const QStringList& arguments, int limitMs,
                        std::function<void(const QString& reason)> failed)
{
    auto* process = new QProcess(qApp);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::errorOccurred, process, [process, failed](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            if (failed)
                failed(process->errorString());
            process->deleteLater();
        }
    });
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    // Past its limit it is ended; the QProcess goes when it has finished.
    QTimer::singleShot(limitMs, process, [process] {
        if (process->state() != QProcess::NotRunning)
            process->kill();
    });
    process->start(program, arguments);
}

}  // namespace platform
