#pragma once

#include "binding/gauge_control.h"
#include "binding/up_down_control.h"

#include <QWidget>

#include <algorithm>
#include <utility>
#include <vector>

namespace tarvex::test {

// Stands in for the ui layer's bar gauge: records every value it is given.
class FakeGauge : public QWidget, public GaugeControl {
public:
    using QWidget::QWidget;
    std::int16_t min() const override { return minimum; }
    void setValue(std::int16_t value) override { values.push_back(value); }
    void Refresh() override {}
    QWidget* widget() override { return this; }

    std::int16_t minimum = 0;
    std::vector<std::int16_t> values;
};

// Stands in for the ui layer's up-down: clamps into its range and reports every change.
class FakeUpDown : public QWidget, public UpDownControl {
    Q_OBJECT

public:
    using QWidget::QWidget;
    std::int32_t min() const override { return mMin; }
    void setMin(std::int32_t v) override { mMin = v, setValue(mValue); }
    std::int32_t max() const override { return mMax; }
    void setMax(std::int32_t v) override { mMax = v, setValue(mValue); }
    std::int32_t value() const override { return mValue; }
    void setValue(std::int32_t v) override {
        v = std::clamp(v, std::min(mMin, mMax), std::max(mMin, mMax));
        if (v != std::exchange(mValue, v))
            emit valueChanged(v);
    }
    QWidget* widget() override { return this; }
    QMetaObject::Connection connectValueChanged(QObject* receiver,
                                                std::function<void()> handler) override {
        return connect(this, &FakeUpDown::valueChanged, receiver, std::move(handler));
    }

signals:
    void valueChanged(int value);

private:
    std::int32_t mMin = 0, mMax = 10, mValue = 0;
};

} // namespace tarvex::test
