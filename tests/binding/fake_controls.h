#pragma once

#include "binding/gauge_control.h"
#include "binding/up_down_control.h"
#include "core/hub.h"

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

// An item the way a driver publishes it: attached in a hub and given metadata, so that values
// stick. Type code 2 is none of the five coded types: values, null included, are stored as given.
inline ItemPtr publishedItem(const HubPtr& hub, const QString& name, int typeCode,
                             std::int32_t low = 0, std::int32_t high = 1) {
    ItemPtr it = hub->AttachItem(name);
    it->setInfo(std::make_shared<ItemInfo>(ItemInfo{low, high, typeCode, 0, {}}));
    return it;
}

// An item holding null. Only an empty item can become null: any comparison with null is
// undecided, so an item holding a value never takes null, nor does a null item leave it.
inline ItemPtr nullItem(const HubPtr& hub, const QString& name) {
    ItemPtr it = publishedItem(hub, name, 2);
    it->setValue(Variant::null());
    return it;
}

} // namespace tarvex::test
