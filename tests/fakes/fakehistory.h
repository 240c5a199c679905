#pragma once

#include "history/historysource.h"

#include <QMap>

#include <algorithm>
#include <cmath>

// A journal in memory: sessions, readings and events that a test adds in
// time order. Readings further apart than `breakMs` break the lines; link
// lost stretches run from link_lost to the next link_restored; the pump runs
// from an "R" command frame to an "S" one.
class FakeHistory : public history::HistorySource {
public:
    qint64 breakMs = 5000;

    void addSession(qint64 id, qint64 startedMs, std::optional<qint64> endedMs = {}, const QString& port = {})
    {
        history::SessionInfo s;
        s.id = id;
        s.startedMs = s.lastMs = startedMs;
        s.endedMs = endedMs;
        s.port = port;
        m_sessions[id] = s;
    }
    // NaN: the box did not hold a number.
    void addReading(qint64 session, qint64 tMs, double pressure, double limit = 2.0, double flow = 100)
    {
        const auto num = [](double v) { return std::isnan(v) ? std::nullopt : std::optional<double>(v); };
        m_readings[session] << history::Reading{tMs, 0, QStringLiteral("N"), QStringLiteral("00.5"),
                                                num(pressure), num(flow), num(limit)};
        touch(session, tMs);
    }
    void addEvent(qint64 session, qint64 tMs, const QString& kind, const QString& detail = {}, const QString& source = {})
    {
        m_events[session] << history::Event{tMs, kind, detail, source};
        touch(session, tMs);
    }
    QList<history::Reading>& readingsOf(qint64 session) { return m_readings[session]; }

    QList<history::SessionInfo> sessions() override
    {
        QList<history::SessionInfo> out;
        for (history::SessionInfo s : m_sessions) {
            s.readings = m_readings.value(s.id).size();
            out.prepend(s);
        }
        return out;
    }

    history::PlotData plot(qint64 session, qint64 fromMs, qint64 toMs, int columns) override
    {
        ++plotQueries;
        history::PlotData plot = history::emptyPlot(fromMs, toMs, columns);
        const auto value = [](const std::optional<double>& v) { return v.value_or(std::nan("")); };
        std::optional<history::Span> span;
        const auto close = [&] {
            if (span && span->toMs >= fromMs && span->fromMs <= toMs)
                plot.covered << history::Span{std::max(span->fromMs, fromMs), std::min(span->toMs, toMs)};
            span.reset();
        };
        for (const history::Reading& r : m_readings.value(session)) {
            if (span && r.tMs - span->toMs > breakMs)
                close();
            if (!span)
                span = history::Span{r.tMs, r.tMs};
            span->toMs = r.tMs;
            history::addReading(plot, r.tMs, {value(r.pressure), value(r.limit), value(r.flow)});
        }
        close();
        qint64 lost = -1;
        for (const history::Event& e : m_events.value(session)) {
            if (e.kind == QLatin1String("link_lost") && lost < 0)
                lost = e.tMs;
            if (e.kind == QLatin1String("link_restored") && lost >= 0) {
                if (e.tMs >= fromMs && lost <= toMs)
                    plot.linkLost << history::Span{std::max(lost, fromMs), std::min(e.tMs, toMs)};
                lost = -1;
            }
        }
        return plot;
    }

    QList<history::Event> events(qint64 session, qint64 fromMs, qint64 toMs) override
    {
        QList<history::Event> out;
        for (const history::Event& e : m_events.value(session)) {
            if (e.tMs >= fromMs && e.tMs <= toMs)
                out << e;
        }
        return out;
    }

    std::optional<history::Reading> readingAt(qint64 session, qint64 tMs) override
    {
        std::optional<history::Reading> last;
        for (const history::Reading& r : m_readings.value(session)) {
            if (r.tMs > tMs)
                break;
            last = r;
        }
        return last;
    }

    history::RangeStats stats(qint64 session, qint64 fromMs, qint64 toMs) override
    {
        history::RangeStats s;
        double sum = 0;
        const QList<history::Reading>& rs = m_readings[session];
        for (int i = 0; i < rs.size(); ++i) {
            const history::Reading& r = rs[i];
            if (r.tMs < fromMs || r.tMs > toMs || !r.pressure)
                continue;
            ++s.readings;
            sum += *r.pressure;
            s.minPressure = std::min(s.minPressure.value_or(*r.pressure), *r.pressure);
            s.maxPressure = std::max(s.maxPressure.value_or(*r.pressure), *r.pressure);
            if (i + 1 < rs.size() && runningAt(session, r.tMs) && r.flow)
                s.volumeMl += *r.flow * double(std::min(rs[i + 1].tMs, toMs) - r.tMs) / 60000.0;
        }
        if (s.readings > 0)
            s.meanPressure = sum / double(s.readings);
        return s;
    }

    void forEachReading(qint64 session, qint64 fromMs, qint64 toMs,
                        const std::function<bool(const history::Reading&)>& fn) override
    {
        for (const history::Reading& r : m_readings.value(session)) {
            if (r.tMs >= fromMs && r.tMs <= toMs && !fn(r))
                return;
        }
    }

    int plotQueries = 0;

private:
    void touch(qint64 session, qint64 tMs) { m_sessions[session].lastMs = std::max(m_sessions[session].lastMs, tMs); }

    bool runningAt(qint64 session, qint64 tMs) const
    {
        bool running = false;
        for (const history::Event& e : m_events.value(session)) {
            if (e.tMs > tMs)
                break;
            if (e.kind == QLatin1String("command") && e.detail.size() == 9)
                running = e.detail[3] == QLatin1Char('R') || (running && e.detail[3] != QLatin1Char('S'));
        }
        return running;
    }

    QMap<qint64, history::SessionInfo> m_sessions;
    QMap<qint64, QList<history::Reading>> m_readings;
    QMap<qint64, QList<history::Event>> m_events;
};
