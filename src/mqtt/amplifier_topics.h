#pragma once

#include "meter_window.h"

#include "core/hub.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <functional>
#include <vector>

namespace tarvex {

// What one amplifier's items say, as the topics under PREFIX/<amplifier>/: the state topics
// (retained, published when their text changes) and the meters, gathered into one message of
// peak and mean at most twice a second however fast the amplifier meters.
class AmplifierTopics : public QObject {
    Q_OBJECT

public:
    static constexpr int kMeterIntervalMs = 500;
    // The meters, in the order of the metering line: W, W, W, mA, mA.
    static constexpr std::array<const char*, 5> kMeters{"pfwd", "prfl", "pinp", "ig", "ip"};
    // The state topics below the amplifier's level.
    static const QStringList& stateTopics();

    // publish(subtopic, payload, retain) takes each message; the clock gives milliseconds.
    using Publish = std::function<void(const QString&, const QByteArray&, bool)>;
    // name is what the user called the amplifier, level its topic level.
    AmplifierTopics(HubPtr hub, int index, QString name, QString level, Publish publish,
                    QObject* parent = nullptr);

    // Follows the items that exist now and were not followed yet (the alarm items come when
    // their monitor starts).
    void bind();
    // Every state topic with its text now, for a broker that has just been reached.
    std::vector<std::pair<QString, QByteArray>> states() const;

    int index() const { return mIndex; }
    const QString& name() const { return mName; }
    const QString& level() const { return mLevel; }
    // Reads one of the amplifier's items by base name; Empty when missing.
    Variant value(const QString& base) const;
    int integer(const QString& base) const;

private:
    QByteArray stateText(const QString& topic) const;
    void itemChanged(const QString& base);
    void meterChanged(std::size_t meter);
    void publishMeters();

    HubPtr mHub;
    int mIndex;
    QString mName;
    QString mLevel;
    Publish mPublish;
    QHash<QString, ItemPtr> mItems;       // by base name, once found
    QHash<QString, QByteArray> mLastSent; // by state topic
    std::array<MeterWindow, kMeters.size()> mWindows;
    QElapsedTimer mClock;
    qint64 mLastMeters = -kMeterIntervalMs;
    QTimer mMeterTimer;
};

} // namespace tarvex
