#pragma once

#include <QString>
#include <QtGlobal>

// Texts that are kept as well as shown. Why a port or a file failed, and the
// CSV log's message when it switched itself off, go into the run history's
// journal; the journal holds them in the panel's own words (Chinese) whatever
// language the screen speaks, so a journal reads the same on every PC. They
// are made untranslated and translated only where they are shown.
//
// Their words are marked for translation in the "recorded" context:
//     recorded::text(QT_TRANSLATE_NOOP("recorded", "端口不存在"))
namespace recorded {

// A text made of kept words, untranslated: the `source` as it stands.
inline QString text(const char* source)
{
    return QString::fromUtf8(source);
}

// The texts with places for names and reasons, filled in with arg().
// shown() knows them: they are the forms a kept text can take.
inline constexpr const char* kNotAFolder = QT_TRANSLATE_NOOP("recorded", "%1 不是文件夹");
inline constexpr const char* kFolderNotMade = QT_TRANSLATE_NOOP("recorded", "无法建立文件夹 %1");
inline constexpr const char* kFolderNotMadeBecause = QT_TRANSLATE_NOOP("recorded", "无法建立文件夹 %1：%2");
inline constexpr const char* kCsvNotStarted =
    QT_TRANSLATE_NOOP("recorded", "无法在 %1 建立CSV记录文件：%2\nCSV记录已关闭；泵的控制不受影响。");
inline constexpr const char* kCsvNotWritten = QT_TRANSLATE_NOOP(
    "recorded", "CSV记录无法写入 %1：%2\nCSV记录已关闭，此前写入的各行仍在文件中；泵的控制不受影响。");
inline constexpr const char* kSimWrongName = QT_TRANSLATE_NOOP("recorded", "模拟泵的端口名是“%1”，不是“%2”");

// The kept text in the language of the screen: its words translated, with
// the names and reasons put into it shown in turn. A system's own text in
// brackets after the words ("磁盘已满 (No space left on device)") and a name
// before them ("COM4: 端口不存在") stay as they are. A text it does not know
// is shown as it stands.
QString shown(const QString& kept);

}  // namespace recorded
