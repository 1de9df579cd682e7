// Painting less must not show less: each panel grabbed with its paint cache and without (as
// built, after its values change, disabled and enabled again), what reaches the screen after a
// run of gauge changes, and a window that repaints at most once per frame.
#include "../support/printers.h"
#include "../support/wait_until.h"
#include "ui/frame_pacer.h"
#include "ui/bar_gauge.h"
#include "ui/panels/banner_control.h"
#include "ui/panels/main_control.h"
#include "ui/panels/meter_control.h"
#include "ui/panels/tune_control.h"
#include "ui/up_down.h"

#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include <functional>
#include <memory>

namespace tarvex {
namespace {

struct PanelCase {
    const char* name;
    std::function<PanelControl*()> make;
    bool hasCaptions = true;
};

class PaintCache : public ::testing::TestWithParam<PanelCase> {
protected:
    // The same change on the panel that caches and on the one that does not.
    template <typename F> void onBoth(F change) {
        change(*cached);
        change(*plain);
    }
    void expectSamePixels(const char* when) {
        EXPECT_EQ(cached->grab().toImage(), plain->grab().toImage()) << when;
    }

    std::unique_ptr<PanelControl> cached{GetParam().make()};
    std::unique_ptr<PanelControl> plain{GetParam().make()};
};

TEST_P(PaintCache, CachedAndUncachedPaintingShowTheSamePixels) {
    plain->setPaintCacheEnabled(false);
    onBoth([](PanelControl& panel) {
        // Disabled captions must look different, or a picture kept from the enabled state
        // would pass.
        QPalette pal = panel.palette();
        pal.setColor(QPalette::Disabled, QPalette::WindowText, Qt::magenta);
        panel.setPalette(pal);
    });
    expectSamePixels("as built");
    EXPECT_EQ(cached->staticLayer().captions().isEmpty(), !GetParam().hasCaptions);

    onBoth([](PanelControl& panel) {
        for (BarGauge* g : panel.findChildren<BarGauge*>())
            g->setValue(g->max() / 3);
        for (UpDown* u : panel.findChildren<UpDown*>())
            u->setValue(7);
        for (QLabel* l : panel.findChildren<QLabel*>(QRegularExpression("^U_")))
            l->setText(QStringLiteral("14250"));
    });
    expectSamePixels("values changed");
    onBoth([](PanelControl& panel) { panel.setEnabled(false); });
    expectSamePixels("disabled");
    onBoth([](PanelControl& panel) { panel.setEnabled(true); });
    expectSamePixels("enabled again");
}

INSTANTIATE_TEST_SUITE_P(
    Panels, PaintCache,
    ::testing::Values(PanelCase{"main", [] { return new MainControl; }},
                      PanelCase{"meter", [] { return new MeterControl; }},
                      PanelCase{"tune", [] { return new TuneControl; }},
                      PanelCase{"banner", [] { return new BannerControl; }, false}),
    test::CaseName{});

// A gauge repaints only the pixels its bar changed; the frame on screen must still be exactly
// what painting the whole panel afresh gives, whichever way the bar moves or changes colour.
TEST(PaintCache, TheScreenShowsWhatAFreshRepaintWould) {
    MeterControl panel;
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    auto* gauge = panel.findChild<BarGauge*>(QStringLiteral("U_pfwd"));
    for (std::int16_t value : {100, 2000, 1499, 1500, 1501, 50, -300, 2600, 0}) {
        gauge->setValue(value);
        QCoreApplication::processEvents();
        const QImage screen = panel.screen()->grabWindow(panel.winId()).toImage();
        EXPECT_EQ(screen.convertToFormat(QImage::Format_RGB32),
                  panel.grab().toImage().convertToFormat(QImage::Format_RGB32))
            << "after " << value;
    }
}

class CountedPaints : public QWidget {
public:
    using QWidget::QWidget;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

TEST(FramePacer, HoldsARepaintWithinAFrameAndMakesItWhenTheFrameEnds) {
    QWidget window;
    auto* pacer = new FramePacer(&window, 250);
    auto* widget = new CountedPaints(&window);
    widget->resize(20, 20);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const int before = widget->paints;
    widget->update();
    ASSERT_TRUE(test::waitUntil([&] { return widget->paints > before; }));

    const int painted = widget->paints; // a frame has just begun
    widget->update();
    QCoreApplication::processEvents();
    EXPECT_EQ(widget->paints, painted) << "a second repaint within the frame";
    EXPECT_TRUE(pacer->holding());
    EXPECT_TRUE(test::waitUntil([&] { return widget->paints == painted + 1; }))
        << "the held repaint is made when the frame ends";
}

} // namespace
} // namespace tarvex
