#pragma once

#include "binder.h"
#include "core/hub.h"

#include <QList>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace tarvex {

// Binds a panel's controls to the hub's items by the controls' names.
//
// A control takes part when its objectName is "U_" + stem (at least 3 characters, case-
// sensitive prefix); the item it binds is the panel's module index in decimal + stem ("U_oper"
// on panel 0 binds "0oper"). Option buttons and check boxes cut the stem at its first underscore
// when a value part follows ("U_oper_1" binds "0oper"); an option button without a value part
// is not bound at all.
//
// Control kinds, tested in this order:
//   1. option button: a QRadioButton, or a checkable button that is auto-exclusive or in an
//      exclusive QButtonGroup (a push-button-style toggle of a group);
//   2. bar gauge: a widget implementing GaugeControl;
//   3. check box: a QCheckBox, or any other checkable button;
//   4. text box: QLineEdit;   5. combo box: QComboBox;   6. label: QLabel;   7. slider: QSlider;
//   8. up-down: a widget implementing UpDownControl.
// Anything else (frames, plain buttons, containers) is passed over, whatever its name.
class Bindings {
public:
    Bindings() = default;
    ~Bindings(); // releases
    Bindings(const Bindings&) = delete;
    Bindings& operator=(const Bindings&) = delete;

    // Binds every control inside `panel`, containers' children included, in the panel's order.
    void Create(const HubPtr& hub, const QWidget* panel, std::int16_t index);
    // Binds the given controls in order, replacing the binders of an earlier Create. Items are
    // attached (created when missing) before their binder exists. A failing Bind (a value part
    // that is not a whole number) throws VariantError; the binders of this call are then
    // dropped and the earlier collection stays.
    void Create(const HubPtr& hub, const QList<QWidget*>& controls, std::int16_t index);

    // Unbinds every binder in creation order and drops them. Repeating it, or calling it before
    // Create, does nothing.
    void Release();

    // The binders of the last Create, or none before Create and after Release.
    const std::vector<std::unique_ptr<Binder>>* binders() const {
        return mBinders ? &*mBinders : nullptr;
    }

    // Every widget below `panel`, depth first: a container, then its children, in creation order.
    static QList<QWidget*> controlsOf(const QWidget* panel);

private:
    static std::unique_ptr<Binder> CreateBinder(const HubPtr& hub, QWidget* ct, std::int16_t index);

    std::optional<std::vector<std::unique_ptr<Binder>>> mBinders;
};

} // namespace tarvex
