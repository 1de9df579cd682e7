#include "amplifier_panels.h"

#include "banner_control.h"
#include "main_control.h"
#include "meter_control.h"
#include "tune_control.h"
#include "ui/panel_registry.h"

namespace tarvex {

void registerAmplifierPanels(PanelRegistry& registry) {
    registry.registerPanel(QString::fromLatin1(MainControl::kClassName),
                           [](QWidget* parent) { return new MainControl(parent); });
    registry.registerPanel(QString::fromLatin1(MeterControl::kClassName),
                           [](QWidget* parent) { return new MeterControl(parent); });
    registry.registerPanel(QString::fromLatin1(TuneControl::kClassName),
                           [](QWidget* parent) { return new TuneControl(parent); });
    registry.registerPanel(QString::fromLatin1(BannerControl::kClassName),
                           [](QWidget* parent) { return new BannerControl(parent); });
}

} // namespace tarvex
