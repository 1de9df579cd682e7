#include "event_log.h"

#include "core/amplifier_vocabulary.h"
#include "core/band_table.h"
#include "core/printable.h"
#include "core/server_object.h"
#include "station/amplifier_items.h"

namespace tarvex {

Q_LOGGING_CATEGORY(lcEvents, "tarvex.events", QtInfoMsg)

namespace {

int number(const ItemPtr& it) {
    std::int32_t v = 0;
    return it && it->Value().tryToLong(v) == 0 ? v : 0;
}

} // namespace

EventLog::EventLog(QObject* parent) : QObject(parent) {}

void EventLog::follow(ServerObject& server) {
    mServer = &server;
    connect(&server, &ServerObject::Started, this, &EventLog::server_Started);
    connect(&server, &ServerObject::Stopping, this, &EventLog::server_Stopping);
    if (server.hub())
        server_Started();
}

void EventLog::server_Started() {
    int amplifiers = 0;
    if (const ModuleList* modules = mServer ? mServer->modules() : nullptr) {
        for (const ModulePtr& m : *modules)
            amplifiers += m && m->isAmplifierDriver() ? 1 : 0;
    }
    const QString list = mServer ? mServer->dataFilePath() : QString();
    qCInfo(lcEvents).noquote()
        << (amplifiers == 1 ? tr("Serving 1 amplifier of %1").arg(list)
                            : tr("Serving %1 amplifiers of %2").arg(amplifiers).arg(list));
    setHub(mServer ? mServer->hub() : nullptr);
}

void EventLog::server_Stopping() {
    qCInfo(lcEvents).noquote() << tr("Stopping the amplifiers");
    setHub(nullptr);
}

void EventLog::setHub(const HubPtr& hub) {
    if (mHub)
        mHub->disconnect(this);
    mHub = hub;
    mSlots.clear();
    mSaid.clear();
    if (!mHub)
        return;
    connect(mHub.get(), &Hub::NewItem, this, &EventLog::learn);
    connect(mHub.get(), &Hub::ItemChangedValue, this, &EventLog::mHub_ItemChangedValue);
    for (const ItemPtr& it : mHub->GetItemCollection()) {
        learn(it);
        mHub_ItemChangedValue(it);
    }
}

void EventLog::learn(const ItemPtr& it) {
    if (!it)
        return;
    const QString name = it->Name();
    qsizetype digits = 0;
    while (digits < name.size() && name[digits].isDigit() && name[digits].unicode() < 128)
        ++digits;
    bool ok = false;
    const int amplifier = name.left(digits).toInt(&ok);
    if (!ok)
        return;
    static const std::pair<const char*, Field> kFields[] = {{amp::kLink, Field::Link},
                                                            {amp::kState, Field::State},
                                                            {"fault", Field::Fault},
                                                            {amp::kReportedBand, Field::Band}};
    const QStringView base = QStringView(name).mid(digits);
    for (const auto& [text, field] : kFields) {
        if (base.compare(QLatin1String(text), Qt::CaseInsensitive) == 0)
            mSlots.insert(it.get(), {amplifier, field});
    }
}

void EventLog::mHub_ItemChangedValue(const ItemPtr& it) {
    const auto slot = mSlots.constFind(it.get());
    if (slot != mSlots.constEnd())
        changed(*slot, number(it));
}

void EventLog::changed(const Slot& slot, int value) {
    Said& said = mSaid[slot.amplifier];
    switch (slot.field) {
    case Field::Link:
        if (value == said.link)
            return;
        if (value == static_cast<int>(amp::Link::Down)) {
            // The driver gives the reason on the message line before it lets the link go.
            const QString reason = itemText(slot.amplifier, "message");
            say(slot.amplifier,
                reason.isEmpty() ? tr("link down") : tr("link down: %1").arg(reason), true);
        } else if (value == static_cast<int>(amp::Link::Up)) {
            say(slot.amplifier, said.wasUp ? tr("link up again") : tr("link up"));
            said.wasUp = true;
        } else {
            say(slot.amplifier,
                said.link == static_cast<int>(amp::Link::Up)
                    ? tr("link silent: the amplifier stopped answering")
                    : tr("port open; waiting for the amplifier to answer"),
                said.link == static_cast<int>(amp::Link::Up));
        }
        said.link = value;
        break;
    case Field::State:
        // Unknown is no report: it comes with a lost link, which is said on its own.
        if (value != said.state && value != static_cast<int>(amp::State::Unknown))
            say(slot.amplifier, tr("power state %1").arg(amp::stateName(value)));
        said.state = value;
        break;
    case Field::Fault:
        if (value != 0 && value != said.fault)
            say(slot.amplifier,
                tr("fault %1: %2").arg(value).arg(itemText(slot.amplifier, amp::kFaultText)), true);
        else if (value == 0 && said.fault != 0)
            say(slot.amplifier, tr("fault cleared"));
        said.fault = value;
        break;
    case Field::Band:
        // 0 is no report: the amplifier was switched off, or has not said yet.
        if (value != 0 && value != said.band)
            say(slot.amplifier, tr("band %1 reported").arg(BandTable::name(value)));
        said.band = value;
        break;
    }
}

QString EventLog::itemText(int amplifier, const char* base) const {
    QString text;
    AmplifierItems(mHub, amplifier).value(QString::fromLatin1(base)).tryToString(text);
    return printable(text);
}

void EventLog::say(int amplifier, const QString& text, bool problem) const {
    const QString line =
        printable(AmplifierItems(mHub, amplifier).title()) + QStringLiteral(": ") + text;
    if (problem)
        qCWarning(lcEvents).noquote() << line;
    else
        qCInfo(lcEvents).noquote() << line;
}

} // namespace tarvex
