#include "platform/qtsettings.h"

#include <QCoreApplication>
#include <QDir>

namespace platform {

namespace {
QString keyOf(const QString& group, const QString& key) { return group + QLatin1Char('/') + key; }
}  // namespace

QtSettings::QtSettings()
    : m_file(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("pump-panel"), QStringLiteral("pump-panel"))
{
}

QtSettings::QtSettings(const QString& fileName) : m_file(fileName, QSettings::IniFormat) {}

QString QtSettings::value(const QString& group, const QString& key) const
{
    const QVariant v = m_file.value(keyOf(group, key));
    if (!v.isValid())
        return {};
    // A value with a comma reads back as a list; take it as the text it was.
    if (v.userType() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}

void QtSettings::setValue(const QString& group, const QString& key, const QString& value)
{
    m_file.setValue(keyOf(group, key), value);
}

void QtSettings::remove(const QString& group, const QString& key) { m_file.remove(keyOf(group, key)); }

bool QtSettings::sync(QString* error)
{
    m_file.sync();
    switch (m_file.status()) {
    case QSettings::NoError:
        return true;
    case QSettings::AccessError:
        if (error)
            *error = QCoreApplication::translate("settings", "无法写入设置文件");
        return false;
    case QSettings::FormatError:
        if (error)
            *error = QCoreApplication::translate("settings", "设置文件格式错误");
        return false;
    }
    return false;
}

QString QtSettings::path() const { return QDir::toNativeSeparators(m_file.fileName()); }

}  // namespace platform
