#pragma once

#include "binding/gauge_control.h"
#include "binding/up_down_control.h"

#include <QWidget>

#include <algorithm>
#include <vector>

namespace tarvex::test {

// Stands in for the ui layer's bar gauge: records every value it is given.
class FakeGauge : public QWidget, public GaugeControl {
public:
    explicit FakeGauge(QWidget* parent = nullptr, std::int16_t min = 0)
        : QWidget(parent), mMin(min) {}
    std::int16_t min() const override { return mMin; }
    void setValue(std::int16_t value) override { values.push_back(value); }
    void Refresh() override {}
    QWidget* widget() override { return this; }

    std::vector<std::int16_t> values;

private:
    std::int16_t mMin;
};

// Stands in for the ui layer's up-down: clamps like a spin box and notifies on every change.
class FakeUpDown : public QWidget, public UpDownControl {
    Q_OBJECT

public:
    explicit FakeUpDown(QWidget* parent = nullptr) : QWidget(parent) {}
    std::int32_t min() const override { return mMin; }
    void setMin(std::int32_t v) override {
        mMin = v;
        mMax = std::max(mMax, v);
        store(mValue);
    }
    std::int32_t max() const override { return mMax; }
    void setMax(std::int32_t v) override {
        mMax = v;
        mMin = std::min(mMin, v);
        store(mValue);
    }
    std::int32_t value() const override { return mValue; }
    void setValue(std::int32_t v) override { store(v); }
    QWidget* widget() override { return this; }
    QMetaObject::Connection connectValueChanged(QObject* receiver,
                                                std::function<void()> handler) override {
        return connect(this, &FakeUpDown::valueChanged, receiver, std::move(handler));
    }

    void stepUp() { store(mValue + 1); }

signals:
    void valueChanged(int value);

private:
    void store(std::int32_t v) {
        v = std::clamp(v, mMin, mMax);
        if (v == mValue)
            return;
        mValue = v;
        emit valueChanged(v);
    }

    std::int32_t mMin = 0;
    std::int32_t mMax = 10;
    std::int32_t mValue = 0;
};

} // namespace tarvex::test
