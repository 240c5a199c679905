#pragma once

#include "platform/exportfiles.h"

#include <QPointer>
#include <QWidget>

namespace platform {

// The system's save dialog (modal to the window given) and QSaveFile.
class QtExportFiles : public ExportFiles {
public:
    void setParentWindow(QWidget* parent) { m_parent = parent; }

    QString chooseSaveFile(const QString& caption, const QString& suggestedName, const QString& filter) override;
    bool writeFile(const QString& path, const std::function<bool(QIODevice&)>& write, QString* error) override;
    QString chooseOpenFile(const QString& caption, const QString& filter) override;
    bool readFile(const QString& path, QByteArray* bytes, QString* error) override;

private:
    QPointer<QWidget> m_parent;
    QString m_folder;
};

}  // namespace platform
