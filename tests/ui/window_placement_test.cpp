// Every window comes back where the user left it, and never off the screens there are now.
#include "test_support.h"

#include "ui/history/frm_history.h"
#include "ui/views/frm_event_trail.h"
#include "ui/views/frm_property_list.h"

#include "core/user_settings.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include <functional>
#include <string>

namespace tarvex::test {
namespace {

struct KeptWindow {
    const char* name; // the settings' prefix
    std::function<std::unique_ptr<QWidget>()> open;
};

std::ostream& operator<<(std::ostream& os, const KeptWindow& w) {
    return os << w.name;
}

std::string text(const QRect& r) {
    return std::to_string(r.width()) + 'x' + std::to_string(r.height()) + '+' +
           std::to_string(r.x()) + '+' + std::to_string(r.y());
}

// The main window's own placement is tested with its layout and life.
class WindowPlacements : public MainWindowTest, public ::testing::WithParamInterface<KeptWindow> {
protected:
    std::unique_ptr<QWidget> open() {
        auto w = GetParam().open();
        w->show();
        QCoreApplication::processEvents();
        return w;
    }
};

const KeptWindow kWindows[] = {
    {"EventTrail", [] { return std::make_unique<frmEventTrail>(); }},
    {"Inspector", [] { return std::make_unique<frmInspectorWindow>(); }},
    {"History",
     [] {
         return std::make_unique<frmHistory>(QStringLiteral("history.db"), systemHistoryClock());
     }},
};

TEST_P(WindowPlacements, OpensAgainWhereItWasClosedOrTakenAway) {
    const QPoint origin = QGuiApplication::primaryScreen()->availableGeometry().topLeft();
    // Where the window ends up: no smaller than its contents allow.
    const auto place = [](QWidget& w, QPoint at, QSize size) {
        w.setGeometry(QRect(at, size));
        return w.geometry();
    };
    auto w = open();
    const QRect left = place(*w, origin + QPoint(120, 90), QSize(410, 330));
    w->close();
    w.reset();
    EXPECT_EQ(text(open()->geometry()), text(left)) << "closed by the user";

    // Hidden by its owner (the main window closing takes the views away) counts as well.
    w = open();
    const QRect moved = place(*w, origin + QPoint(165, 120), QSize(470, 345));
    w->hide();
    w.reset();
    EXPECT_EQ(text(open()->geometry()), text(moved)) << "hidden";
}

TEST_P(WindowPlacements, ASavedPlacementOffEveryScreenIsBroughtBack) {
    QSettings settings = userSettings();
    settings.beginGroup(QStringLiteral("Settings"));
    const QString name = QLatin1String(GetParam().name);
    for (const auto& [key, twips] :
         {std::pair{"Left", 2'000'000}, {"Top", -900'000}, {"Width", 6000}, {"Height", 4500}})
        settings.setValue(name + QLatin1String(key), QString::number(twips));
    settings.sync();
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(available.contains(open()->geometry().topLeft()));
}

INSTANTIATE_TEST_SUITE_P(, WindowPlacements, ::testing::ValuesIn(kWindows),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarvex::test
