#pragma once

#include "driver/ferro_driver.h"
#include "driver/memory_serial_link.h"
#include "ui/frm_main.h"

#include <QObject>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace tarvex {
class BarGauge;
}

namespace tarvex::bench {

// A driver environment whose links are in memory; each link made is appended to `links`.
DriverEnvironment memoryEnvironment(std::vector<MemorySerialLink*>& links);

// Counts paint events delivered to any widget.
class PaintCounter : public QObject {
public:
    qint64 paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// A real main window with two amplifiers on in-memory links: banner, meter, tune and main
// panel each, bound to the drivers' items through the hub, shown on whatever platform the
// application runs on.
struct WindowRig {
    WindowRig();
    ~WindowRig();

    // The forward-power gauge of an amplifier's meter panel (banner, meter, tune, main).
    BarGauge* forwardGauge(int amplifier) const;
    // Whether both forward-power gauges show what their items hold.
    bool gaugesShowItems() const;

    QTemporaryDir dir;
    QString dataFile;
    QString error;
    bool ok = false;
    std::vector<MemorySerialLink*> links;
    std::unique_ptr<frmMain> window;
    PaintCounter painter;
};

} // namespace tarvex::bench
