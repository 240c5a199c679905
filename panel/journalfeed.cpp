#include "panel/journalfeed.h"

#include "alarms/alarms.h"
#include "history/journal.h"
#include "link/frames.h"
#include "link/numbers.h"
#include "panel/panel.h"
#include "platform/dialogs.h"

#include <cmath>
#include <limits>

using history::EventKind;
using history::Source;

namespace {

Source sourceOf(CommandSource source)
{
    switch (source) {
    case CommandSource::Keypad:
        return Source::Keypad;
    case CommandSource::Menu:
        return Source::Menu;
    case CommandSource::Popup:
        return Source::Popup;
    case CommandSource::Dialog:
        return Source::Dialog;
    case CommandSource::TimedRun:
        return Source::TimedRun;
    case CommandSource::Program:
        return Source::Program;
    case CommandSource::Alarm:
        return Source::Alarm;
    case CommandSource::Remote:
        return Source::Remote;
    case CommandSource::Mqtt:
        return Source::Mqtt;
    case CommandSource::Kept:
        break;
    }
    return Source::None;
}

const char* const kReasons[] = {"done", "operator", "alarm", "link"};

QString reasonName(ProgramRun::Reason reason)
{
    return QLatin1String(kReasons[static_cast<int>(reason)]);
}

// "3 s, 160 ml/min, ramp, limit 1.5 MPa"
QString stepText(const program::Step& s)
{
    return QStringLiteral("%1 s, %2 ml/min, %3")
               .arg(numbers::generalText(s.durationMs / 1000.0), numbers::generalText(s.flow),
                    QLatin1String(s.change == program::Change::Ramp ? "ramp" : "step"))
           + (s.pressure ? QStringLiteral(", limit %1 MPa").arg(numbers::generalText(*s.pressure)) : QString());
}

// A box as a number, read as the panel reads it; NaN when it holds none.
double boxNumber(const QString& text)
{
    const auto value = numbers::toDouble(text);
    return value ? *value : std::numeric_limits<double>::quiet_NaN();
}

}  // namespace

JournalFeed::JournalFeed(Panel& panel, history::Journal& journal, platform::Dialogs& dialogs, QObject* parent)
    : QObject(parent), m_panel(panel), m_journal(journal)
{
    history::Journal* j = &journal;
    connect(&panel, &Panel::answerApplied, this, [this](const QByteArray& frame, const AnswerOutcome& outcome) {
        // The set points are those the pump has (sent to it or reported by
        // it), never a box's start text, digits still being typed or an
        // entry that was refused. The pressure is the reading the answer
        // stored (pnow as a number).
        constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
        m_journal.reading(frame, outcome.stored ? outcome.reading : kNone, boxNumber(m_panel.pumpFlow()),
                          boxNumber(m_panel.pumpPressure()));
    });
    // A remote client's address follows what its command did.
    const auto client = [this] {
        const QString& address = m_panel.commandClient();
        return address.isEmpty() ? QString() : QStringLiteral(", client ") + address;
    };
    connect(&panel, &Panel::commandSent, this, [j, client](const QString& frame, CommandSource source, bool dropped) {
        j->record(EventKind::Command, (dropped ? QStringLiteral("dropped, no port open: ") + frame : frame) + client(),
                  sourceOf(source));
    });
    connect(&panel, &Panel::stopWithheld, this, [j](const QString& keptFor, const QString& opened) {
        j->record(EventKind::Command,
                  QStringLiteral("kept for %1, not sent to %2: ").arg(keptFor, opened) + frames::kStop);
    });
    connect(&panel, &Panel::setPointChanged, this,
            [j, client](SetPoint which, const QString& before, const QString& after, CommandSource source) {
                static const EventKind kinds[] = {EventKind::FlowSet, EventKind::PressureSet, EventKind::PumpNumberSet,
                                                  EventKind::TimedSet};
                j->record(kinds[static_cast<int>(which)], before + QStringLiteral(" → ") + after + client(),
                          sourceOf(source));
            });
    connect(&panel, &Panel::portChanged, this, [this, j](PortChange change, const QString& device, const QString& reason) {
        static const EventKind kinds[] = {EventKind::PortOpened, EventKind::PortOpenFailed, EventKind::PortClosed,
                                          EventKind::PortLost};
        const bool operatorDid = change != PortChange::Lost;
        j->record(kinds[static_cast<int>(change)], reason.isEmpty() ? device : device + QStringLiteral(": ") + reason,
                 operatorDid ? Source::Menu : Source::None);
        m_linkLost = false;
    });
    connect(&panel, &Panel::connectionChanged, this, &JournalFeed::followLink);
    connect(&panel, &Panel::timedRunStepped, this, [this, j](TimedStep step) {
        // In the order of TimedStep: the kind, whether the detail is the
        // duration set (else the seconds counted), and the source.
        static const struct {
            EventKind kind;
            bool duration;
            Source source;
        } steps[] = {{EventKind::TimedStart, true, Source::Menu},     {EventKind::TimedPause, false, Source::Menu},
                     {EventKind::TimedContinue, false, Source::Menu}, {EventKind::TimedEnd, false, Source::Menu},
                     {EventKind::TimedAutoStop, true, Source::TimedRun}};
        const auto& s = steps[static_cast<int>(step)];
        const TimedRun& run = m_panel.timedRun();
        j->record(s.kind,
                 s.duration ? numbers::generalText(run.timeset()) + QStringLiteral(" min")
                            : QString::number(run.tset()) + QStringLiteral(" s"),
                 s.source);
    });
    followProgram();
    connect(&panel, &Panel::recordSaved, this, [j](bool saved, const QString& path, const QString& reason) {
        if (saved)
            j->record(EventKind::RecordSaved, path, Source::Menu);
        else
            j->record(EventKind::RecordSaveFailed, path + QStringLiteral(": ") + reason, Source::Menu);
    });
    connect(&panel, &Panel::printed, this, [j](int copies) {
        j->record(EventKind::Printed, QStringLiteral("%1 copies").arg(copies), Source::Menu);
    });
    connect(&panel, &Panel::csvLogSwitched, this, [j](bool on, const QString& path, const QString& failure) {
        j->record(on ? EventKind::CsvLogOn : EventKind::CsvLogOff, failure.isEmpty() ? path : failure,
                 failure.isEmpty() ? Source::Menu : Source::None);
    });
    connect(&panel, &Panel::exiting, this, [j](bool byMenu, const QString& why) {
        j->record(EventKind::AppExit, why, byMenu ? Source::Menu : Source::None);
    });
    connect(&panel.alarms(), &alarms::AlarmCore::transitioned, this, [j](const alarms::Transition& t) {
        using alarms::Transition;
        const QString name = alarms::keyName(t.alarm.condition);
        switch (t.kind) {
        case Transition::Raised: {
            QString detail = name;
            if (!std::isnan(t.alarm.value))
                detail += QStringLiteral(" %1 MPa").arg(t.alarm.value, 0, 'f', 2);
            if (!std::isnan(t.alarm.threshold))
                detail += QStringLiteral(", threshold %1 MPa").arg(t.alarm.threshold, 0, 'f', 2);
            j->record(EventKind::AlarmRaised, detail);
            break;
        }
        case Transition::Acknowledged: {
            static const Source sources[] = {Source::Keypad, Source::Menu, Source::Dialog, Source::Remote};
            j->record(EventKind::AlarmAcknowledged, name, sources[static_cast<int>(t.source)]);
            break;
        }
        case Transition::Cleared:
            j->record(EventKind::AlarmCleared, name);
            break;
        case Transition::Silenced:
            j->record(EventKind::AlarmSilenced, QStringLiteral("%1 s").arg(alarms::AlarmCore::kSilenceMs / 1000));
            break;
        case Transition::Stopped:
            j->record(EventKind::AlarmStop, name + (t.delivered ? QStringLiteral(" ") + frames::kStop
                                                                : QStringLiteral(" not delivered")), Source::Alarm);
            break;
        case Transition::CommandFailed:
            j->record(EventKind::AlarmCommandFailed, name + QStringLiteral(": ") + t.reason);
            break;
        }
    });
    // The journal's own troubles reach the operator in a box that holds up
    // nothing, from the event loop (its signals come from the writer thread).
    const auto tell = [&dialogs](const QString& message) { dialogs.notify(message, tr("运行历史")); };
    connect(&journal, &history::Journal::failed, this, tell, Qt::QueuedConnection);
    connect(&journal, &history::Journal::replaced, this, tell, Qt::QueuedConnection);
}

void JournalFeed::followProgram()
{
    history::Journal* j = &m_journal;
    const ProgramRun* run = &m_panel.program();
    const auto dose = [run] { return run->kind() == ProgramRun::Kind::Dose; };
    connect(run, &ProgramRun::started, this, [this, j, run, dose] {
        if (dose())
            j->record(EventKind::DoseStarted,
                      QStringLiteral("%1 ml at %2 ml/min")
                          .arg(numbers::generalText(run->targetMl()), numbers::generalText(run->steps().first().flow)),
                      Source::Dialog);
        else
            j->record(EventKind::ProgramStarted,
                      QStringLiteral("%1, %2 steps, %3")
                          .arg(m_panel.programName())
                          .arg(run->steps().size())
                          .arg(program::clockText(run->totalMs())),
                      Source::Menu);
    });
    connect(run, &ProgramRun::stepStarted, this, [j, run, dose](int index) {
        if (!dose())
            j->record(EventKind::ProgramStep, QStringLiteral("%1: ").arg(index + 1) + stepText(run->steps().at(index)),
                      Source::Program);
    });
    const auto prefix = [dose] { return dose() ? QStringLiteral("dose, ") : QString(); };
    connect(run, &ProgramRun::paused, this, [j, prefix](ProgramRun::Reason reason) {
        j->record(EventKind::ProgramPaused, prefix() + reasonName(reason),
                  reason == ProgramRun::Reason::Operator ? Source::Menu : Source::Program);
    });
    connect(run, &ProgramRun::resumed, this,
            [j, prefix] { j->record(EventKind::ProgramResumed, prefix() + reasonName(ProgramRun::Reason::Operator), Source::Menu); });
    connect(run, &ProgramRun::ended, this, [j, run, dose](ProgramRun::Reason reason) {
        j->record(dose() ? EventKind::DoseEnded : EventKind::ProgramEnded,
                  reasonName(reason) + QStringLiteral(", %1 ml").arg(QString::number(run->volumeMl(), 'f', 1)),
                  reason == ProgramRun::Reason::Operator ? Source::Menu : Source::Program);
    });
}

void JournalFeed::followLink()
{
    const PumpLink& link = m_panel.link();
    // A port that closes ends a silence without the link coming back; its
    // own event says so.
    const bool lost = link.isOpen() && link.linkLost();
    if (lost == m_linkLost)
        return;
    m_linkLost = lost;
    if (link.isOpen())
        m_journal.record(lost ? EventKind::LinkLost : EventKind::LinkRestored);
}
