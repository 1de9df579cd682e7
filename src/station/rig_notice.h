#pragma once

#include "rig_client.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>

namespace tarvex {

// What the main window says of a rig link, so that a radio no longer followed does not go
// unnoticed: "Radio link lost (connection refused); retrying" from the loss until the link is
// back (the retries in between change nothing), then "Radio link restored" for a while, then
// nothing. A link that never came up says "No radio link (…); retrying".
class RigNotice : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kRestoredShownFor{10000};

    explicit RigNotice(const RigClient& rig,
                       std::chrono::milliseconds restoredShownFor = kRestoredShownFor,
                       QObject* parent = nullptr);

    // Empty when there is nothing to say.
    const QString& text() const { return mText; }

signals:
    void changed();

private:
    void rig_stateChanged();
    void show(const QString& text);

    const RigClient& mRig;
    bool mWasUp = false;
    bool mDown = false;
    QTimer mForget;
    QString mText;
};

} // namespace tarvex
