#pragma once

#include <QMetaObject>

#include <cstdint>
#include <functional>

class QObject;
class QWidget;

namespace tarvex {

// What the up-down binder needs of the up-down control. The control lives in the ui layer and
// implements this interface besides being a QWidget; Bindings recognises it by dynamic_cast.
//
// Contract for implementers:
// - Min, Max and Value are 32-bit integers; Min may exceed Max (a range running downwards).
//   setValue outside the range may be refused or clamped (the binder never asks for that).
// - setMin/setMax may clamp Value into the new range.
// - The value-changed notification is raised after every change of Value, by the user
//   (stepping) or by the program (setValue, or a clamp), and not when Value stays the same.
//
// A typical implementation, for a control emitting a signal valueChanged(int):
//   QMetaObject::Connection connectValueChanged(QObject* receiver,
//                                               std::function<void()> handler) override {
//       return QObject::connect(this, &UpDown::valueChanged, receiver, std::move(handler));
//   }
class UpDownControl {
public:
    virtual ~UpDownControl() = default;

    virtual std::int32_t min() const = 0;
    virtual void setMin(std::int32_t value) = 0;
    virtual std::int32_t max() const = 0;
    virtual void setMax(std::int32_t value) = 0;
    virtual std::int32_t value() const = 0;
    virtual void setValue(std::int32_t value) = 0;

    // The control itself, for enabling, repainting and lifetime tracking.
    virtual QWidget* widget() = 0;

    // Calls `handler` on every value change until the returned connection is cut or `receiver`
    // is destroyed.
    virtual QMetaObject::Connection connectValueChanged(QObject* receiver,
                                                        std::function<void()> handler) = 0;

protected:
    UpDownControl() = default;
    UpDownControl(const UpDownControl&) = default;
    UpDownControl& operator=(const UpDownControl&) = default;
};

} // namespace tarvex
