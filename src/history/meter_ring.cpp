#include "meter_ring.h"

namespace tarvex {

MeterRing::MeterRing() : mRows(kCapacity) {}

void MeterRing::push(const TripReading& row) {
    if (mSize < kCapacity) {
        mRows[(mFirst + mSize) % kCapacity] = row;
        ++mSize;
        return;
    }
    mRows[mFirst] = row;
    mFirst = (mFirst + 1) % kCapacity;
}

void MeterRing::amendNewest(const std::array<int, kMeterCount>& meters) {
    if (mSize > 0)
        mRows[(mFirst + mSize - 1) % kCapacity].meters = meters;
}

void MeterRing::clear() {
    mFirst = 0;
    mSize = 0;
}

const TripReading& MeterRing::at(std::size_t i) const {
    return mRows[(mFirst + i) % kCapacity];
}

std::vector<TripReading> MeterRing::between(qint64 fromMs, qint64 toMs) const {
    std::vector<TripReading> out;
    for (std::size_t i = 0; i < mSize; ++i) {
        const TripReading& row = at(i);
        if (row.timeMs >= fromMs && row.timeMs <= toMs)
            out.push_back(row);
    }
    return out;
}

} // namespace tarvex
