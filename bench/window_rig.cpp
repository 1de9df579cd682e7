#include "window_rig.h"

#include "core/server_object.h"
#include "ui/bar_gauge.h"
#include "ui/panels/amplifier_panels.h"

#include <QApplication>
#include <QEvent>

namespace tarvex::bench {

DriverEnvironment memoryEnvironment(std::vector<MemorySerialLink*>& links) {
    DriverEnvironment env;
    env.makeLink = [&links] {
        auto link = std::make_unique<MemorySerialLink>();
        links.push_back(link.get());
        return link;
    };
    return env;
}

bool PaintCounter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint)
        ++paints;
    return QObject::eventFilter(watched, event);
}

WindowRig::WindowRig() {
    ServerObject::DriverFactory factory = [this] {
        return std::make_shared<FerroDriver>(memoryEnvironment(links));
    };
    auto first = std::make_shared<FerroDriver>(DriverEnvironment{});
    auto second = std::make_shared<FerroDriver>(DriverEnvironment{});
    first->setDeviceName(QStringLiteral("Left"));
    second->setDeviceName(QStringLiteral("Right"));
    second->setAmpPort(2);
    dataFile = dir.filePath(QStringLiteral("server.dat"));
    ok = ServerObject::writeModuleList(dataFile, {first, second}, &error);
    if (!ok)
        return;
    PanelRegistry panels;
    registerAmplifierPanels(panels);
    window = std::make_unique<frmMain>(factory, ServerObject::ListEditor{}, panels, dataFile);
    window->show();
    QCoreApplication::processEvents();
    if (links.size() != 2 || window->views().size() != 8) {
        ok = false;
        error = QStringLiteral("expected 2 drivers and 8 panels, got %1 and %2")
                    .arg(links.size())
                    .arg(window->views().size());
    }
    qApp->installEventFilter(&painter);
}

WindowRig::~WindowRig() {
    qApp->removeEventFilter(&painter);
}

BarGauge* WindowRig::forwardGauge(int amplifier) const {
    return window->views().at(amplifier * 4 + 1)->findChild<BarGauge*>("U_pfwd");
}

bool WindowRig::gaugesShowItems() const {
    for (int amp = 0; amp < 2; ++amp) {
        const auto item = window->hub()->GetItem(QStringLiteral("%1pfwd").arg(amp));
        const BarGauge* gauge = forwardGauge(amp);
        if (!gauge || gauge->value() != item->Value().toInteger())
            return false;
    }
    return true;
}

} // namespace tarvex::bench
