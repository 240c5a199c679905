#pragma once

#include "timedrun/programfile.h"

#include <QWidget>

class Panel;
class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace platform {
class Dialogs;
class ExportFiles;
}  // namespace platform

// The whole program as a small picture: the planned flow over time, with a
// marker at now while it runs.
class ProgramPicture : public QWidget {
    Q_OBJECT
public:
    explicit ProgramPicture(QWidget* parent = nullptr);
    void show(const program::Steps& steps, qint64 nowMs);
    qint64 markerMs() const { return m_nowMs; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    program::Steps m_steps;
    qint64 m_nowMs = -1;  // none
};

// "运行程序": the table of steps with every cell checked, the totals, the
// picture, the files, and the run controls with what the run shows.
class ProgramWindow : public QWidget {
    Q_OBJECT
public:
    // `files` may be null: then nothing can be opened or saved.
    ProgramWindow(Panel& panel, platform::Dialogs& dialogs, platform::ExportFiles* files, QWidget* parent = nullptr);

    // Reads the file into the table; a faulty file is refused with its line
    // and reason and the table stays as it was.
    bool openFile(const QString& path);
    void setSteps(const program::Steps& steps);
    // The steps, when every cell is right.
    std::optional<program::Steps> steps() const;
    // The first fault of the table ("第 2 行 流量：…"), or empty.
    QString firstFault() const { return m_fault; }

    QTableWidget* table() const { return m_table; }
    QLabel* progress() const { return m_progress; }

private:
    void addRow(const program::Step& step);
    void moveRow(int by);
    void check();
    void showRun();
    void open();
    void save();

    Panel& m_panel;
    platform::Dialogs& m_dialogs;
    platform::ExportFiles* m_files;
    QTableWidget* m_table = nullptr;
    QLabel* m_totals = nullptr;
    QLabel* m_progress = nullptr;
    QLabel* m_note = nullptr;
    QCheckBox* m_keepRunning = nullptr;
    ProgramPicture* m_picture = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_pause = nullptr;
    QPushButton* m_continue = nullptr;
    QPushButton* m_end = nullptr;
    QList<QWidget*> m_editors;
    QString m_name;
    QString m_fault;
    bool m_checking = false;
};

// The volume delivery while it runs: delivered and target, the time left,
// and Pause / Continue / End.
class DoseWindow : public QWidget {
    Q_OBJECT
public:
    explicit DoseWindow(Panel& panel, QWidget* parent = nullptr);
    QLabel* status() const { return m_status; }

private:
    void showRun();

    Panel& m_panel;
    QLabel* m_status = nullptr;
    QPushButton* m_pause = nullptr;
    QPushButton* m_continue = nullptr;
    QPushButton* m_end = nullptr;
};
