#pragma once

#include "placement.h"

#include <QObject>
#include <QString>

#include <optional>

class QWidget;

namespace tarvex {

// Where a top-level window was last left, kept in the per-user settings under "Settings" as
// <name>Left, <name>Top, <name>Width and <name>Height, in twips, and restored through
// Placement::onScreen, so a placement from an unplugged monitor cannot hide the window.
class WindowPlacement : public QObject {
    Q_OBJECT

public:
    // Restores the window's saved placement now, when there is a whole one (otherwise the
    // window keeps its own size and the window system places it), and saves the placement
    // each time the window is hidden: closed, minimised, or taken away by its owner. The
    // keeper is a child of the window.
    static void keep(QWidget* window, const QString& name);

    // The saved placement; each value missing or unreadable is the default's, or without
    // defaults there is none.
    static std::optional<Placement> saved(const QString& name,
                                          const std::optional<Placement>& defaults = {});
    // Puts the window where the placement lands on the screens there are now.
    static void restore(QWidget* window, const Placement& placement);
    // The placement the window returns to: its normal one when minimised or maximised.
    static void save(const QWidget* window, const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowPlacement(QWidget* window, QString name);

    QString mName;
};

} // namespace tarvex
