#include "confirmation_watch.h"

namespace tarvex {

bool ConfirmationWatch::confirmed(const RemoteAmplifier& amp, RemoteControl control, int value) {
    const auto reported = [&](const char* base) {
        return amp.number(QString::fromLatin1(base)) == std::optional<int>(value);
    };
    const amp::State state = amp.state();
    switch (control) {
    case RemoteControl::Power:
        if (value != 0)
            return state == amp::State::WarmUp || state == amp::State::Standby ||
                   state == amp::State::Operate;
        return state == amp::State::Off;
    case RemoteControl::Operate:
        if (value != 0)
            return state == amp::State::Operate;
        return state == amp::State::Standby || state == amp::State::WarmUp ||
               state == amp::State::Off;
    case RemoteControl::Band:
        return reported(amp::kReportedBand);
    case RemoteControl::Segment:
        return reported(amp::kReportedSegment);
    case RemoteControl::Tune:
        return reported(amp::kReportedTune);
    case RemoteControl::Load:
        return reported(amp::kReportedLoad);
    case RemoteControl::High:
        return amp.flag(QString::fromLatin1(amp::kReportedHv)) == std::optional<bool>(value != 0);
    case RemoteControl::AutoTune:
        return amp.flag(QString::fromLatin1(amp::kReportedTrim)) ==
               std::optional<bool>(value != 0);
    case RemoteControl::Default:
    case RemoteControl::Enter:
        return true; // keys: nothing reports them
    }
    return false;
}

void ConfirmationWatch::expect(RemoteControl control, int value, qint64 now) {
    mPending[control] = Pending{value, now + kConfirmMs, Status::Waiting};
}

bool ConfirmationWatch::evaluate(const RemoteAmplifier& amp, qint64 now) {
    bool changed = false;
    for (auto it = mPending.begin(); it != mPending.end();) {
        Pending& p = it->second;
        if (p.status == Status::Waiting && confirmed(amp, it->first, p.value)) {
            it = mPending.erase(it);
            changed = true;
            continue;
        }
        if (now >= p.deadline) {
            if (p.status == Status::NotConfirmed) {
                it = mPending.erase(it);
                changed = true;
                continue;
            }
            p.status = Status::NotConfirmed;
            p.deadline = now + kNoteMs;
            changed = true;
        }
        ++it;
    }
    return changed;
}

std::optional<ConfirmationWatch::Status> ConfirmationWatch::status(RemoteControl control) const {
    const auto it = mPending.find(control);
    if (it == mPending.end())
        return std::nullopt;
    return it->second.status;
}

QJsonObject ConfirmationWatch::toJson() const {
    QJsonObject out;
    for (const auto& [control, p] : mPending) {
        const ControlEntry& entry = controlEntry(control);
        const QJsonValue asked =
            entry.kind == ControlEntry::Kind::Switch ? QJsonValue(p.value != 0) : QJsonValue(p.value);
        out.insert(QLatin1String(entry.name),
                   QJsonObject{{QStringLiteral("asked"), asked},
                               {QStringLiteral("status"), p.status == Status::Waiting
                                                              ? QStringLiteral("waiting")
                                                              : QStringLiteral("notConfirmed")}});
    }
    return out;
}

} // namespace tarvex
