#include "history/report.h"

#include "history/eventtext.h"
#include "history/export.h"
#include "history/timeaxis.h"
#include "resources/look.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <utility>

namespace history {

namespace {

constexpr int kPageWidth = 794;
constexpr int kPageHeight = 1123;
constexpr int kMargin = 48;

QFont textFont(int pixels, bool bold = false)
{
    QFont font = look::songti(10, bold);
    font.setPixelSize(pixels);
    return font;
}

// What a full page keeps first: alarms and stops (0), lost links and ports
// (1), then the rest (2); changes of a set point or the pump number go
// first (3).
int rank(const Event& e)
{
    if (e.kind == QLatin1String("command")) {
        const bool frame = e.detail.size() == 9;
        if (frame && (e.detail.at(3) == QLatin1Char('L') || e.detail.at(3) == QLatin1Char('P')))
            return 3;
        // A stop that was dropped or kept ends in its frame too.
        return e.detail.endsWith(QLatin1String("S0000Y")) ? 0 : 2;
    }
    if (markerOf(e) == Marker::SetPoint || e.kind == QLatin1String("pump_number_set"))
        return 3;
    if (e.kind.startsWith(QLatin1String("alarm_")))
        return 0;
    if (e.kind.startsWith(QLatin1String("port_")) || e.kind.startsWith(QLatin1String("link_")))
        return 1;
    return 2;
}

}  // namespace

QString mpaText(std::optional<double> v)
{
    return v ? QString::number(*v, 'f', 2) + QStringLiteral(" MPa") : QStringLiteral("—");
}

QString cursorValuesText(const std::optional<Reading>& at1, const std::optional<Reading>& at2)
{
    const auto pressure = [](const std::optional<Reading>& r) { return r ? r->pressure : std::nullopt; };
    const auto flow = [](const std::optional<Reading>& r) { return r ? r->flow : std::nullopt; };
    const auto difference = [](std::optional<double> a, std::optional<double> b) {
        return a && b ? std::optional<double>(*b - *a) : std::nullopt;
    };
    const auto flowText = [](std::optional<double> v) {
        return v ? QString::number(*v, 'f', 0) + QStringLiteral(" ml/min") : QStringLiteral("—");
    };
    return QCoreApplication::translate("history", "光标1 压力 %1  流量 %2    光标2 压力 %3  流量 %4    "
                                                  "差（2−1） 压力 %5  流量 %6")
        .arg(mpaText(pressure(at1)), flowText(flow(at1)), mpaText(pressure(at2)), flowText(flow(at2)),
             mpaText(difference(pressure(at1), pressure(at2))), flowText(difference(flow(at1), flow(at2))));
}

QString statsText(const RangeStats& stats)
{
    const QString volume = QString::number(stats.volumeMl, 'f', 1);
    const QString estimate =
        stats.leftOutMs > 0
            ? QCoreApplication::translate("history", "估算，按设定流量；未计入断线、无端口或压力到上限的 %1")
                  .arg(durationText(stats.leftOutMs))
            : QCoreApplication::translate("history", "估算，按设定流量");
    return QCoreApplication::translate("history", "压力 最小 %1  最大 %2  平均 %3    体积 %4 ml（%5）    读数 %6")
        .arg(mpaText(stats.minPressure), mpaText(stats.maxPressure), mpaText(stats.meanPressure), volume, estimate,
             QString::number(stats.readings));
}

QSize reportPlotSize()
{
    return QSize(kPageWidth - 2 * kMargin, 400);
}

void paintReport(QPainter& painter, const QRect& page, const ReportContent& c)
{
    painter.save();
    painter.translate(page.topLeft());
    const qreal scale = std::min(page.width() / qreal(kPageWidth), page.height() / qreal(kPageHeight));
    painter.scale(scale, scale);
    painter.setPen(Qt::black);
    const int width = kPageWidth - 2 * kMargin;
    int y = kMargin;

    // Lines wrap rather than lose their end.
    const auto line = [&](const QString& text, const QFont& font, int gap = 4) {
        painter.setFont(font);
        const QRect r = painter.fontMetrics().boundingRect(QRect(kMargin, y, width, kPageHeight), Qt::TextWordWrap, text);
        painter.drawText(QRect(kMargin, y, width, r.height()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, text);
        y += r.height() + gap;
    };

    line(QCoreApplication::translate("history", "运行报告"), textFont(22, true), 10);
    const SessionInfo& s = c.session;
    const QString end = s.endedMs ? localTimeText(*s.endedMs)
                                  : QCoreApplication::translate("history", "%1（未正常结束或仍在运行）").arg(localTimeText(s.lastMs));
    line(QCoreApplication::translate("history", "运行 %1：%2 至 %3，时长 %4，读数 %5")
             .arg(s.id)
             .arg(localTimeText(s.startedMs), end, durationText(s.endedMs.value_or(s.lastMs) - s.startedMs))
             .arg(s.readings),
         textFont(13));
    line(QCoreApplication::translate("history", "端口：%1    程序版本：%2")
             .arg(s.port.isEmpty() ? QCoreApplication::translate("history", "未打开") : s.port,
                  s.appVersion.isEmpty() ? QStringLiteral("—") : s.appVersion),
         textFont(13));
    line(QCoreApplication::translate("history", "所示范围：%1 至 %2（%3）")
             .arg(localTimeText(c.fromMs), localTimeText(c.toMs), durationText(c.toMs - c.fromMs)),
         textFont(13));
    line(alarmSummary(c.events, c.picture.alarms), textFont(13), 10);

    painter.save();
    painter.translate(kMargin, y);
    paintPlot(painter, reportPlotSize(), c.picture);
    painter.restore();
    y += reportPlotSize().height() + 12;

    line(QCoreApplication::translate("history", "光标之间"), textFont(15, true));
    if (c.stats && c.picture.cursor1 && c.picture.cursor2) {
        const qint64 a = std::min(*c.picture.cursor1, *c.picture.cursor2);
        const qint64 b = std::max(*c.picture.cursor1, *c.picture.cursor2);
        line(QCoreApplication::translate("history", "%1 至 %2，间隔 %3")
                 .arg(localTimeText(a, true), localTimeText(b, true), durationText(b - a)),
             textFont(13));
        line(statsText(*c.stats), textFont(13), 10);
    } else {
        line(QCoreApplication::translate("history", "未设光标"), textFont(13), 10);
    }

    // A run's program: its start, each step with its values, and its end.
    bool programTitled = false;
    for (const Event& e : c.events) {
        if (!e.kind.startsWith(QLatin1String("program_")) && !e.kind.startsWith(QLatin1String("dose_")))
            continue;
        if (!std::exchange(programTitled, true))
            line(QCoreApplication::translate("history", "程序步骤"), textFont(15, true));
        line(QStringLiteral("%1    %2    %3").arg(localTimeText(e.tMs), eventName(e), detailText(e)), textFont(12), 1);
    }
    if (programTitled)
        y += 9;

    line(QCoreApplication::translate("history", "事件"), textFont(15, true));
    const QFont rowFont = textFont(12);
    painter.setFont(rowFont);
    const int rowHeight = painter.fontMetrics().height() + 2;
    const int columns[] = {kMargin, kMargin + 170, kMargin + 300, kMargin + 390};
    const auto row = [&](const QStringList& cells, bool bold) {
        painter.setFont(textFont(12, bold));
        for (int i = 0; i < cells.size(); ++i) {
            const int right = i + 1 < cells.size() ? columns[i + 1] - 6 : kMargin + width;
            painter.drawText(QRect(columns[i], y, right - columns[i], rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                             painter.fontMetrics().elidedText(cells[i], Qt::ElideRight, right - columns[i]));
        }
        y += rowHeight;
    };
    row({QCoreApplication::translate("history", "时间"), QCoreApplication::translate("history", "事件", "column heading"),
         QCoreApplication::translate("history", "来源"), QCoreApplication::translate("history", "内容")},
        true);
    painter.drawLine(kMargin, y, kMargin + width, y);
    const int footerTop = kPageHeight - kMargin - rowHeight;
    const int room = std::max(0, (footerTop - y - rowHeight) / rowHeight);
    const int shown = c.events.size() <= room ? int(c.events.size()) : std::max(0, room - 1);
    // When not all fit: alarms, lost links, stops and ports first, the
    // set-point changes last, still in time order on the page.
    QList<Event> listed = c.events;
    if (shown < listed.size()) {
        std::stable_sort(listed.begin(), listed.end(), [](const Event& a, const Event& b) { return rank(a) < rank(b); });
        listed.resize(shown);
        std::stable_sort(listed.begin(), listed.end(), [](const Event& a, const Event& b) { return a.tMs < b.tMs; });
    }
    for (int i = 0; i < shown; ++i) {
        const Event& e = listed[i];
        row({localTimeText(e.tMs), eventName(e), sourceName(e.source), detailText(e)}, false);
    }
    if (shown < c.events.size())
        row({QCoreApplication::translate("history", "另有 %1 条事件未列出（见事件CSV）").arg(c.events.size() - shown)},
            false);
    if (c.events.isEmpty())
        row({QCoreApplication::translate("history", "所示范围内没有事件")}, false);

    y = footerTop;
    line(QCoreApplication::translate("history", "制表时间 %1    文件 %2").arg(localTimeText(c.madeMs), c.journal),
         textFont(11));
    painter.restore();
}

bool writeReportPdf(const ReportContent& content, QIODevice& out)
{
    QPdfWriter pdf(&out);
    pdf.setResolution(96);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    pdf.setTitle(QCoreApplication::translate("history", "运行报告"));
    QPainter painter;
    if (!painter.begin(&pdf))
        return false;
    paintReport(painter, QRect(0, 0, pdf.width(), pdf.height()), content);
    return painter.end();
}

QSize plotPdfSize()
{
    return QSize(1040, 670);
}

bool writePlotPdf(const PlotPicture& picture, const QSize& size, const QString& title, QIODevice& out)
{
    QPdfWriter pdf(&out);
    pdf.setResolution(96);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10)));
    pdf.setTitle(title);
    QPainter painter;
    if (!painter.begin(&pdf))
        return false;
    painter.setFont(textFont(14, true));
    painter.drawText(QRect(0, 0, size.width(), 28), Qt::AlignLeft | Qt::AlignVCenter, title);
    painter.translate(0, 32);
    paintPlot(painter, size, picture);
    return painter.end();
}

bool writePlotPng(const PlotPicture& picture, const QSize& size, int scale, QIODevice& out)
{
    QImage image(size * scale, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.scale(scale, scale);
    paintPlot(painter, size, picture);
    painter.end();
    return image.save(&out, "PNG");
}

}  // namespace history
