#include "panel_registry.h"

#include "core/guard.h"

#include <QVariant>
#include <QWidget>

#include <exception>

namespace tarvex {

namespace {

constexpr const char* kClassProperty = "tarvexClassName";

} // namespace

void PanelRegistry::registerPanel(const QString& className, Factory factory) {
    mFactories.insert(className, std::move(factory));
}

QWidget* PanelRegistry::create(const QString& className, QWidget* parent) const {
    const auto it = mFactories.constFind(className);
    if (it == mFactories.constEnd() || !*it)
        return nullptr;
    QWidget* view = nullptr;
    // A panel that cannot be made is left out, like an unknown one.
    if (!guarded(lcUi(), "panel creation", [&] { view = (*it)(parent); }))
        return nullptr;
    if (view)
        view->setProperty(kClassProperty, className);
    return view;
}

QString PanelRegistry::classNameOf(const QWidget* view) {
    return view ? view->property(kClassProperty).toString() : QString();
}

bool PanelRegistry::isBanner(const QWidget* view) {
    return classNameOf(view) == QLatin1String(kBannerControl);
}

} // namespace tarvex
