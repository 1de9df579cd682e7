#pragma once

#include "history_rows.h"
#include "reading_accumulator.h"
#include "trip_track.h"

#include <QSet>
#include <QString>

#include <optional>

namespace tarvex {

// What the record knows of one amplifier, and the events its item changes make. Only what
// the driver alone sets counts: the state, fault (with its text), band and link the amplifier
// and its port reported. What a panel or a client wrote to ac, oper or band is a wish, not an
// event. What the record last said of each is kept across restarts of the server, so a state or
// fault that is merely reported again makes no new row.
class AmplifierTrack {
public:
    enum class Field {
        Name,
        Message,
        FaultText,
        State,
        Fault,
        ReportedBand,
        Link,
        Meter,
        AlarmText,
        Alarm
    };
    // An item's value in the form its field needs.
    struct Value {
        int number = 0;
        QString text;
    };

    // A link that is not up for this long without having been up is said: every start passes
    // through "open but silent" for a moment.
    static constexpr qint64 kNotHeardForMs = 5000;

    explicit AmplifierTrack(int amplifier);

    // The amplifier's name as its item last gave it.
    const QString& name() const { return mName; }

    // asChange false: the value an item holds when the recorder meets it (on a new hub, or as
    // the item's first value), which says where things stand but did not just happen.
    void set(Field field, std::size_t meter, const Value& value, qint64 timeMs, bool asChange,
             HistoryBatch& out);
    // The end of one pass of the event loop: a message written in it is recorded unless another
    // event of this amplifier came with it, now or when the same text came before (the driver's
    // texts restate its states, faults and link problems; the rest, such as a band change the
    // amplifier did not confirm, is news).
    void settle(HistoryBatch& out);
    // Finished seconds, and a link that has not been heard from for kNotHeardForMs.
    void close(qint64 timeMs, HistoryBatch& out);
    // The hub goes (the server stops): the seconds so far are kept, nothing more is read, and
    // what its items held is forgotten. What the record said is not.
    void leaveHub(qint64 timeMs, HistoryBatch& out);
    // The record ends: a trip under way is handed over with what it has.
    void endTrips(HistoryBatch& out) { mTrips.end(out.trips); }

private:
    enum class LinkSaid { Fine, Down, NoAnswer };

    void add(HistoryBatch& out, qint64 timeMs, const char* kind, std::optional<int> code,
             const QString& text);
    void link(int value, qint64 timeMs, HistoryBatch& out);
    void sayLink(LinkSaid said, const QString& text, qint64 timeMs, HistoryBatch& out);
    void forgetSaid();

    int mAmplifier;
    QString mName;
    // What the items hold now.
    QString mMessage;
    QString mFaultText;
    int mFault = 0;
    std::optional<int> mLink;
    // Since when the link has been down or silent without that being said.
    std::optional<qint64> mNotHeardSince;
    // What the record last said.
    QString mSaidState;
    int mSaidFault = 0;
    int mSaidBand = 0;
    LinkSaid mLinkSaid = LinkSaid::Fine;
    QString mLinkSaidText;
    // The message of the pass under way, whether another event came in it, and the texts
    // that have come with events (the driver's own words for its states, faults and links).
    static constexpr qsizetype kMaxRestating = 256;
    std::optional<HistoryEvent> mMessageEvent;
    bool mEventInPass = false;
    QSet<QString> mRestating;
    ReadingAccumulator mReadings;
    TripTrack mTrips;
};

} // namespace tarvex
