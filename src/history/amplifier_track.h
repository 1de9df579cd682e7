#pragma once

#include "history_rows.h"
#include "reading_accumulator.h"

#include <QString>

#include <optional>

namespace tarvex {

// What the record knows of one amplifier, and the events its item changes make. The driver
// speaks through items only: its state through ac, oper and warmup, a fault through fault
// followed at once by the message that names it, and a lost or silent link through the message.
class AmplifierTrack {
public:
    enum class Field { Ac, Oper, Warmup, Fault, Band, Message, Name, Meter };
    // An item's value in the form its field needs.
    struct Value {
        bool flag = false;
        int number = 0;
        QString text;
    };

    explicit AmplifierTrack(int amplifier);

    // record false takes the value as the starting point: an item's first value is what the
    // driver starts with, not something that happened.
    void set(Field field, std::size_t meter, const Value& value, qint64 timeMs, bool record,
             HistoryBatch& out);
    // Finished seconds, and a fault whose message never came.
    void close(qint64 timeMs, HistoryBatch& out);

    // The state as the record names it.
    QString state() const;

private:
    void add(HistoryBatch& out, qint64 timeMs, const char* kind, std::optional<int> code,
             const QString& text) const;
    void message(const QString& text, qint64 timeMs, HistoryBatch& out);

    struct PendingFault {
        qint64 timeMs = 0;
        int code = 0;
    };

    int mAmplifier;
    QString mName;
    bool mAc = false;
    bool mOper = false;
    bool mWarmup = false;
    QString mState;
    std::optional<PendingFault> mFault;
    QString mLinkProblem;
    ReadingAccumulator mReadings;
};

} // namespace tarvex
