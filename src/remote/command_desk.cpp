#include "command_desk.h"

#include "core/all_to_standby.h"
#include "core/band_table.h"

namespace tarvex {

namespace {

CommandDesk::Outcome refused(const QString& what, const QString& why, int index = -1) {
    return {false, why, QStringLiteral("%1: refused: %2").arg(what, why), index, {}};
}

Variant itemValue(const ControlEntry& entry, int value) {
    switch (entry.kind) {
    case ControlEntry::Kind::Switch:
        return Variant(value != 0);
    case ControlEntry::Kind::Number:
        return Variant(static_cast<std::int16_t>(value));
    case ControlEntry::Kind::Key:
        break;
    }
    return Variant(true);
}

} // namespace

QString CommandDesk::describe(RemoteControl control, int value) {
    const bool on = value != 0;
    switch (control) {
    case RemoteControl::Power:
        return on ? QStringLiteral("mains on") : QStringLiteral("mains off");
    case RemoteControl::Operate:
        return on ? QStringLiteral("operate") : QStringLiteral("standby");
    case RemoteControl::Band:
        return QStringLiteral("band ") + BandTable::name(value);
    case RemoteControl::Segment:
        return QStringLiteral("segment %1").arg(value);
    case RemoteControl::Tune:
        return QStringLiteral("tune %1").arg(value);
    case RemoteControl::Load:
        return QStringLiteral("load %1").arg(value);
    case RemoteControl::High:
        return on ? QStringLiteral("high power") : QStringLiteral("low power");
    case RemoteControl::AutoTune:
        return on ? QStringLiteral("automatic tuning on") : QStringLiteral("automatic tuning off");
    case RemoteControl::Default:
        return QStringLiteral("DEFAULT");
    case RemoteControl::Enter:
        return QStringLiteral("ENTER");
    }
    return {};
}

CommandDesk::Outcome CommandDesk::carryOut(const ClientIdentity& who,
                                           const RemoteRequest& request) {
    // The server decides, not the page: a view user's page may be anything.
    if (who.role != RemoteUsers::Role::Operate) {
        QString what = QStringLiteral("take control");
        int index = -1;
        if (request.type == RemoteRequest::Type::AllStandby)
            what = QStringLiteral("all to standby");
        if (request.type == RemoteRequest::Type::Acknowledge) {
            what = QStringLiteral("acknowledge the alarm on amplifier %1").arg(request.amplifier);
            if (const AmplifierFeed* feed = mFeed.amplifier(request.amplifier))
                index = feed->amplifier().index();
        }
        if (request.type == RemoteRequest::Type::Command) {
            what = QStringLiteral("%1 on amplifier %2")
                       .arg(describe(request.control, request.value))
                       .arg(request.amplifier);
            if (const AmplifierFeed* feed = mFeed.amplifier(request.amplifier))
                index = feed->amplifier().index();
        }
        return refused(what, QStringLiteral("your role is view: you can watch, not operate"),
                       index);
    }
    switch (request.type) {
    case RemoteRequest::Type::Take: {
        Outcome o;
        o.ok = true;
        o.previousHolder = mControl.take(who.user);
        o.text = o.previousHolder.isEmpty()
                     ? QStringLiteral("You are in control")
                     : QStringLiteral("You took control from %1").arg(o.previousHolder);
        o.record = o.previousHolder.isEmpty()
                       ? QStringLiteral("took control")
                       : QStringLiteral("took control from %1").arg(o.previousHolder);
        return o;
    }
    case RemoteRequest::Type::Release:
        if (mControl.holder() != who.user)
            return {true, QStringLiteral("You were not in control"), {}, -1, {}};
        mControl.release(who.user);
        return {true, QStringLiteral("You gave up control"), QStringLiteral("gave up control"), -1,
                {}};
    case RemoteRequest::Type::Acknowledge:
        return acknowledge(who, request);
    case RemoteRequest::Type::AllStandby:
        return allStandby();
    case RemoteRequest::Type::Command:
        break;
    }
    return command(who, request);
}

CommandDesk::Outcome CommandDesk::acknowledge(const ClientIdentity& who, const RemoteRequest& r) {
    const QString what = QStringLiteral("acknowledge the alarm on amplifier %1").arg(r.amplifier);
    AmplifierFeed* feed = mFeed.amplifier(r.amplifier);
    if (!feed)
        return refused(what, QStringLiteral("there is no amplifier %1").arg(r.amplifier));
    const RemoteAmplifier& amp = feed->amplifier();
    const int index = amp.index();
    // Whoever holds control answers for the amplifier; an unreachable one may be acknowledged.
    QString why;
    if (!mControl.act(who.user, &why))
        return refused(what, why, index);
    if (amp.number(QString::fromLatin1(amp::kAlarm)).value_or(0) == 0)
        return {true, QStringLiteral("amplifier %1 has no alarm standing").arg(r.amplifier), {},
                index, {}};
    const QString text = amp.text(QString::fromLatin1(amp::kAlarmText));
    if (const QString error = amp.write(QString::fromLatin1(amp::kAlarmAck), Variant(true));
        !error.isEmpty())
        return refused(what, error, index);
    feed->markDirty();
    return {true, QStringLiteral("alarm acknowledged on amplifier %1").arg(r.amplifier),
            QStringLiteral("acknowledged the alarm on amplifier %1: %2").arg(r.amplifier).arg(text),
            index, {}};
}

CommandDesk::Outcome CommandDesk::allStandby() {
    // Towards safety: any operate user may, whoever holds control.
    const int asked = allToStandby(mFeed.hub());
    const QString text = asked == 1 ? QStringLiteral("standby asked of 1 amplifier")
                                    : QStringLiteral("standby asked of %1 amplifiers").arg(asked);
    return {true, text, QStringLiteral("all to standby: %1").arg(text), -1, {}};
}

CommandDesk::Outcome CommandDesk::command(const ClientIdentity& who, const RemoteRequest& r) {
    const ControlEntry& entry = controlEntry(r.control);
    const QString asked = describe(r.control, r.value);
    AmplifierFeed* feed = mFeed.amplifier(r.amplifier);
    if (!feed)
        return refused(asked, QStringLiteral("there is no amplifier %1").arg(r.amplifier));
    const RemoteAmplifier& amp = feed->amplifier();
    const QString what = QStringLiteral("%1 on amplifier %2").arg(asked).arg(r.amplifier);
    const int index = amp.index();
    if (amp.link() == amp::Link::Down)
        return refused(what, QStringLiteral("amplifier %1 cannot be reached").arg(r.amplifier),
                       index);
    if (r.control != RemoteControl::Power && amp.state() == amp::State::Off)
        return refused(what, QStringLiteral("amplifier %1 is off").arg(r.amplifier), index);
    if (r.control == RemoteControl::Band && amp.number(QStringLiteral("pfwd")).value_or(0) > 0)
        return refused(what,
                       QStringLiteral("amplifier %1 shows forward power: the band is never "
                                      "changed under power")
                           .arg(r.amplifier),
                       index);
    QString why;
    if (!mControl.act(who.user, &why))
        return refused(what, why, index);

    const Variant value = itemValue(entry, r.value);
    const QString base = QString::fromLatin1(entry.item);
    const qint64 now = mClock();
    Outcome o{true, {}, {}, index, {}};
    if (entry.kind == ControlEntry::Kind::Key) {
        if (const QString error = amp.write(base, value); !error.isEmpty())
            return refused(what, error, index);
        o.text = QStringLiteral("%1 sent to amplifier %2").arg(asked).arg(r.amplifier);
    } else if (ConfirmationWatch::confirmed(amp, r.control, r.value)) {
        o.text = QStringLiteral("amplifier %1 already reports %2").arg(r.amplifier).arg(asked);
    } else if (amp.value(base).equals(value).value_or(false)) {
        // Asked before and not confirmed: the same value again sends nothing.
        feed->watch().expect(r.control, r.value, now);
        feed->markDirty();
        o.text = QStringLiteral("%1 was asked already; waiting for amplifier %2 to confirm it")
                     .arg(asked)
                     .arg(r.amplifier);
    } else {
        if (const QString error = amp.write(base, value); !error.isEmpty())
            return refused(what, error, index);
        feed->watch().expect(r.control, r.value, now);
        feed->markDirty();
        o.text = QStringLiteral("%1 asked of amplifier %2").arg(asked).arg(r.amplifier);
    }
    o.record = QStringLiteral("%1: %2").arg(what, o.text);
    return o;
}

} // namespace tarvex
