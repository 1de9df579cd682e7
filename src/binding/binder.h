#pragma once

#include "core/guard.h"

#include "core/item.h"

#include <QMetaObject>
#include <QObject>

#include <vector>

class QWidget;

namespace tarvex {

// Common base of the eight binders. A binder keeps one control and one item in step from Bind
// until UnBind; Bindings owns the binders and reaches them only through UnBind.
//
// Each concrete binder has its own typed Bind(item, control). Item and control notifications
// are connected with this binder as context, so a destroyed binder never hears anything again,
// and the destructor unbinds as well.
class Binder : public QObject {
public:
    Binder() = default;
    ~Binder() override;
    Binder(const Binder&) = delete;
    Binder& operator=(const Binder&) = delete;

    // Drops the item and the control; the binder hears nothing more. Harmless when never bound.
    virtual void UnBind();

    const ItemPtr& item() const { return theItem; }

protected:
    // A control shows nothing for an empty or null item: it is disabled until the next value.
    // Returns whether the item holds a value to show.
    bool enableForValue(QWidget* control) const;

    // Remembers a connection so that UnBind can cut it.
    void track(QMetaObject::Connection c) { mConnections.push_back(std::move(c)); }

    ItemPtr theItem;

private:
    std::vector<QMetaObject::Connection> mConnections;
};

} // namespace tarvex
