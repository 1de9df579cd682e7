#pragma once

#include "core/hub.h"

#include <QHash>
#include <QLoggingCategory>
#include <QObject>
#include <QPointer>

#include <map>

namespace tarvex {

class ServerObject;

// The log of a run without a window, at info level (warnings for problems), so that
// QT_LOGGING_RULES="tarvex.events.info=false" leaves only the problems.
Q_DECLARE_LOGGING_CATEGORY(lcEvents)

// Logs what happens to the amplifiers, one line an event, each naming the amplifier: its link
// lost (with the reason), silent or back, the power state it reported, its faults and the
// bands it reported. Read from the items the driver alone sets, so that nothing a panel or a
// client wrote is logged as if the amplifier had said it.
class EventLog : public QObject {
    Q_OBJECT

public:
    explicit EventLog(QObject* parent = nullptr);

    // Follows the server's hub from now on, and says when it starts serving and stops.
    void follow(ServerObject& server);
    // Says how each amplifier on this hub stands now, then what changes. Null: none.
    void setHub(const HubPtr& hub);

private:
    enum class Field { Link, State, Fault, Band };
    struct Slot {
        int amplifier = 0;
        Field field = Field::Link;
    };
    // What was last said of an amplifier, so that a value written again is not news.
    struct Said {
        int link = -1; // nothing said yet
        int state = 0;
        int fault = 0;
        int band = 0;
        bool wasUp = false;
    };

    void server_Started();
    void server_Stopping();
    void learn(const ItemPtr& it);
    void mHub_ItemChangedValue(const ItemPtr& it);
    void changed(const Slot& slot, int value);
    void say(int amplifier, const QString& text, bool problem = false) const;
    QString itemText(int amplifier, const char* base) const;

    QPointer<ServerObject> mServer;
    HubPtr mHub;
    QHash<const Item*, Slot> mSlots;
    std::map<int, Said> mSaid;
};

} // namespace tarvex
