#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

namespace tarvex {

class PortNames;
namespace sim {
class AmpSimulator;
}

// Simulated amplifiers on pseudo-terminals inside the program, so that a user without an
// amplifier can see Tarvex work: port numbers 1, 2, … resolve to their devices, and a working
// directory without an amplifier list gets one that uses them.
class DemoAmplifiers : public QObject {
    Q_OBJECT

public:
    explicit DemoAmplifiers(QObject* parent = nullptr);
    ~DemoAmplifiers() override;

    // Starts count amplifiers, the first one already switched on and operating with its meters
    // running. Maps ports 1..count in names unless the command line already mapped them.
    // Returns false with errorText when a pseudo-terminal could not be made.
    bool start(int count, PortNames& names, QString* errorText);

    // Writes a list of the demo amplifiers to the data file when it is missing or empty.
    bool seedList(const QString& dataFilePath, QString* errorText) const;

private:
    QList<sim::AmpSimulator*> mAmps;
};

} // namespace tarvex
