#include "panel/journalfeed.h"

#include "history/journal.h"
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
    case CommandSource::Remote:
        return Source::Remote;
    case CommandSource::Mqtt:
        return Source::Mqtt;
    case CommandSource::Kept:
        break;
    }
    return Source::None;
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
        // A box the operator is typing into shows no set point yet: its
        // digits so far would draw a dip that never happened. The pressure
        // is the reading the answer stored (pnow as a number).
        const PanelState& s = m_panel.state();
        const Keypad& keypad = m_panel.keypad();
        constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
        m_journal.reading(frame, outcome.stored ? outcome.reading : kNone, keypad.typingFlow() ? kNone : boxNumber(s.lqset),
                          keypad.typingPressure() ? kNone : boxNumber(s.prset));
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
    connect(&panel, &Panel::exiting, this, [j](bool byMenu) {
        j->record(EventKind::AppExit, QString(), byMenu ? Source::Menu : Source::None);
    });
    // The journal's own troubles reach the operator in a box that holds up
    // nothing, from the event loop (its signals come from the writer thread).
    const auto tell = [&dialogs](const QString& message) { dialogs.notify(message, tr("运行历史")); };
    connect(&journal, &history::Journal::failed, this, tell, Qt::QueuedConnection);
    connect(&journal, &history::Journal::replaced, this, tell, Qt::QueuedConnection);
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
