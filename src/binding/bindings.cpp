#include "bindings.h"

#include "bind_bar_gauge.h"
#include "bind_check_box.h"
#include "bind_combo_box.h"
#include "bind_label.h"
#include "bind_option_button.h"
#include "bind_slider.h"
#include "bind_text_box.h"
#include "bind_up_down.h"
#include "control_name.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>

namespace tarvex {

namespace {

bool isOptionButton(const QWidget* ct) {
    if (qobject_cast<const QRadioButton*>(ct))
        return true;
    const auto* button = qobject_cast<const QAbstractButton*>(ct);
    if (!button || !button->isCheckable() || qobject_cast<const QCheckBox*>(ct))
        return false;
    return button->autoExclusive() || (button->group() && button->group()->exclusive());
}

bool isCheckBox(const QWidget* ct) {
    const auto* button = qobject_cast<const QAbstractButton*>(ct);
    return button && (button->isCheckable() || qobject_cast<const QCheckBox*>(ct));
}

template <typename B, typename C>
std::unique_ptr<Binder> attachAndBind(const HubPtr& hub, const QString& itemName, C* ct) {
    ItemPtr item = hub->AttachItem(itemName);
    auto binder = std::make_unique<B>();
    binder->Bind(item, ct);
    return binder;
}

} // namespace

Bindings::~Bindings() {
    Release();
}

QList<QWidget*> Bindings::controlsOf(const QWidget* panel) {
    QList<QWidget*> all;
    if (!panel)
        return all;
    for (QObject* child : panel->children()) {
        if (auto* w = qobject_cast<QWidget*>(child)) {
            all.append(w);
            all.append(controlsOf(w));
        }
    }
    return all;
}

void Bindings::Create(const HubPtr& hub, const QWidget* panel, std::int16_t index) {
    Create(hub, controlsOf(panel), index);
}

void Bindings::Create(const HubPtr& hub, const QList<QWidget*>& controls, std::int16_t index) {
    std::vector<std::unique_ptr<Binder>> created;
    if (hub) {
        for (QWidget* ct : controls) {
            if (auto binder = CreateBinder(hub, ct, index))
                created.push_back(std::move(binder));
        }
    }
    mBinders = std::move(created); // the earlier binders, if any, go here
}

void Bindings::Release() {
    if (!mBinders)
        return;
    auto binders = std::move(*mBinders);
    mBinders.reset();
    for (const auto& binder : binders)
        binder->UnBind();
}

std::unique_ptr<Binder> Bindings::CreateBinder(const HubPtr& hub, QWidget* ct, std::int16_t index) {
    if (!ct || !isBindingName(ct->objectName()))
        return nullptr;
    const QString whole = QString::number(index) + ct->objectName().mid(2);
    // For option buttons and check boxes: the name up to the first underscore, when a value
    // part follows it.
    const auto cutAtValuePart = [&whole]() -> std::optional<QString> {
        const qsizetype underscore = whole.indexOf(u'_');
        if (underscore < 0 || underscore + 1 >= whole.size())
            return std::nullopt;
        return whole.left(underscore);
    };

    if (isOptionButton(ct)) {
        const auto name = cutAtValuePart();
        if (!name)
            return nullptr;
        return attachAndBind<BindOptionButton>(hub, *name, static_cast<QAbstractButton*>(ct));
    }
    if (auto* gauge = dynamic_cast<GaugeControl*>(ct))
        return attachAndBind<BindBarGauge>(hub, whole, gauge);
    if (isCheckBox(ct))
        return attachAndBind<BindCheckBox>(hub, cutAtValuePart().value_or(whole),
                                           static_cast<QAbstractButton*>(ct));
    if (auto* textBox = qobject_cast<QLineEdit*>(ct))
        return attachAndBind<BindTextBox>(hub, whole, textBox);
    if (auto* comboBox = qobject_cast<QComboBox*>(ct))
        return attachAndBind<BindComboBox>(hub, whole, comboBox);
    if (auto* label = qobject_cast<QLabel*>(ct))
        return attachAndBind<BindLabel>(hub, whole, label);
    if (auto* slider = qobject_cast<QSlider*>(ct))
        return attachAndBind<BindSlider>(hub, whole, slider);
    if (auto* upDown = dynamic_cast<UpDownControl*>(ct))
        return attachAndBind<BindUpDown>(hub, whole, upDown);
    return nullptr;
}

} // namespace tarvex
