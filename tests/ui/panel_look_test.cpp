// What the panels show at 96 DPI in the substitute faces and the default palette: scale numbers
// under their values, texts that fit, captions that read, disabled controls that look it.
#include "../support/printers.h"
#include "binding/bindings.h"
#include "binding/colors.h"
#include "binding/control_name.h"
#include "core/hub.h"
#include "driver/fault_table.h"
#include "driver/ferro_messages.h"
#include "ui/bar_gauge.h"
#include "ui/panels/banner_control.h"
#include "ui/panels/fit_label.h"
#include "ui/panels/main_control.h"
#include "ui/panels/meter_control.h"
#include "ui/panels/scale_caption.h"
#include "ui/panels/tune_control.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QToolTip>

#include <cmath>

namespace tarvex {
namespace {

double luminance(const QColor& c) { // relative luminance, as WCAG defines contrast on it
    double sum = 0.05;
    for (auto [v, w] : {std::pair{c.redF(), 0.2126}, {c.greenF(), 0.7152}, {c.blueF(), 0.0722}})
        sum += w * (v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
    return sum;
}

// How text drawn in `area` of `w` reads: its strongest pixel against the area's top left one.
double inkContrast(QWidget* w, QRect area) {
    const QImage image = w->grab(area).toImage();
    const double face = luminance(image.pixelColor(0, 0));
    double best = 1.0;
    for (int i = 0; i < image.width() * image.height(); ++i) {
        const double ink = luminance(image.pixelColor(i % image.width(), i / image.width()));
        best = std::max({best, ink / face, face / ink});
    }
    return best;
}

struct PanelLook : ::testing::Test {
    QWidget host;
    MainControl* main = new MainControl(&host);
    MeterControl* meter = new MeterControl(&host);
    TuneControl* tune = new TuneControl(&host);
};

TEST_F(PanelLook, EveryScaleNumberStandsCentredUnderTheBarEndOfItsValue) {
    // By index; the power scale is in kW and the plate current's in A, under bars in W and mA.
    const std::pair<const char*, double> gaugeOfScale[] = {
        {"U_ig", 1}, {"U_pfwd", 1000}, {}, {"U_ip", 1000}, {}, {"U_prfl", 1}};
    for (ScaleCaption* scale : meter->findChildren<ScaleCaption*>()) {
        const auto [name, unit] = gaugeOfScale[scale->property("Index").toInt()];
        auto* gauge = meter->findChild<BarGauge*>(name);
        ASSERT_EQ(scale->marks().size(), scale->text().split(u' ', Qt::SkipEmptyParts).size());
        for (const ScaleCaption::Mark& m : scale->marks()) {
            EXPECT_EQ(m.value, std::lround(m.text.toDouble() * unit)) << name;
            gauge->setValue(m.value); // the bar's end in pixels, inside a one-pixel frame:
            const double end = gauge->x() + 1 + gauge->bar().x2 * 96 / 1440;
            EXPECT_NEAR(scale->x() + QRectF(m.rect).center().x(), end, 2.0)
                << name << qPrintable(m.text);
            EXPECT_GT(inkContrast(scale, m.rect), 3.0) << "drawn there";
        }
    }
}

TEST_F(PanelLook, DriverMessagesAndFiveDigitsFitAndWhatCannotIsElidedWithAWholeToolTip) {
    auto* message = main->findChild<FitLabel*>("U_message");
    QStringList texts(kFerroStatusMessages.begin(), kFerroStatusMessages.end());
    for (const FaultEntry& fault : faultTable()) // " 12", as the fault swap writes it
        texts << QStringLiteral("%1: %2").arg(fault.code, 3).arg(fault.text);
    for (const QString& text : texts << QStringLiteral(" 0: ") + FaultText(0)) {
        message->setText(text);
        EXPECT_FALSE(message->isElided()) << qPrintable(text);
    }
    tune->findChild<QLabel*>("U_freq")->setText(QStringLiteral("29999"));
    for (FitLabel* label : host.findChildren<FitLabel*>()) // and every designed caption
        EXPECT_FALSE(label->isElided()) << qPrintable(label->objectName());

    const QString reason = QStringLiteral("/dev/serial/by-id/usb-0403_6001-if00-port0: lost");
    message->setText(reason);
    QHelpEvent tip(QEvent::ToolTip, QPoint(5, 5), message->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(message, &tip);
    EXPECT_EQ(QToolTip::text(), reason);
    const QImage drawn = message->grab().toImage();
    message->setText(message->shownText());
    EXPECT_EQ(message->grab().toImage(), drawn) << "drawn elided, not clipped";
}

// Every control a user reads or works says what it is; the meters in their scales' units.
TEST_F(PanelLook, EveryBoundControlHasAToolTipAndEachMeterNamesItsUnit) {
    auto* banner = new BannerControl(&host);
    int bound = 0;
    for (QWidget* panel : std::initializer_list<QWidget*>{main, meter, tune, banner}) {
        for (QWidget* w : Bindings::controlsOf(panel)) {
            if (!isBindingName(w->objectName()) || w->isHidden())
                continue;
            ++bound;
            EXPECT_FALSE(w->toolTip().trimmed().isEmpty()) << qPrintable(w->objectName());
        }
    }
    EXPECT_GE(bound, 23);
    for (const auto& [gauge, unit] :
         {std::pair{"U_pfwd", "(kW)"}, {"U_prfl", "(W)"}, {"U_ig", "(mA)"}, {"U_ip", "(A)"}})
        EXPECT_TRUE(meter->findChild<QWidget*>(gauge)->toolTip().contains(unit)) << gauge;
}

// The driver's link item, not the message's wording, marks the line; up, it looks as designed.
TEST_F(PanelLook, TheMessageLineShowsALinkProblemWhileTheLinkIsNotUp) {
    HubPtr hub = Hub::create();
    const auto item = [&](const char* name, int type) {
        ItemPtr it = hub->AttachItem(QLatin1String(name));
        it->setInfo(std::make_shared<ItemInfo>(ItemInfo{0, 2, type, 0, {}}));
        return it;
    };
    ItemPtr link = item("1link", ItemInfo::kInt);
    item("0link", ItemInfo::kInt)->setValue(0); // another amplifier's
    item("1message", ItemInfo::kStr)->setValue("Amp on and operating");
    MainControl unbound;
    auto* designed = unbound.findChild<QLabel*>("U_message");
    designed->setText(QStringLiteral("Amp on and operating"));
    auto* line = main->findChild<QLabel*>("U_message");
    main->Initialize(hub, 1);
    const auto expectMarked = [&](bool marked, const char* link) {
        const QImage shown = line->grab().toImage();
        if (!marked) {
            EXPECT_EQ(shown, designed->grab().toImage()) << "link " << link;
            return;
        }
        EXPECT_EQ(shown.pixel(3, shown.height() / 2), colorFromDesigned(0x000000FF).rgb())
            << "link " << link;
        EXPECT_GE(inkContrast(line, line->rect().adjusted(3, 3, -3, -3)), 3.0) << "link " << link;
    };
    expectMarked(true, "not said yet");
    for (const auto& [value, marked] : {std::pair{1, false}, {0, true}, {1, false}, {2, true}}) {
        link->setValue(value);
        expectMarked(marked, std::to_string(value).c_str());
    }
}

// The power scale is designed to run past the panel's right edge; its box must not cover the
// frame there, cached or not, at one or two device pixels per pixel. The left edge, where the
// same etched lines end, is the reference.
TEST_F(PanelLook, TheMeteringFrameRunsWholeDownTheRightEdgeAsDownTheLeft) {
    for (const bool cached : {true, false}) {
        meter->setPaintCacheEnabled(cached);
        for (const int dpr : {1, 2}) {
            QImage image(meter->size() * dpr, QImage::Format_RGB32);
            image.setDevicePixelRatio(dpr);
            meter->render(&image);
            EXPECT_EQ(image.pixel(0, image.height() / 2),
                      colorFromDesigned(0x80000010, meter->palette()).rgb()) // button shadow
                << "the frame, " << dpr << "x";
            int unlike = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < dpr; ++x)
                    unlike += image.pixel(image.width() - 1 - x, y) != image.pixel(x, y);
            }
            EXPECT_EQ(unlike, 0) << dpr << "x, cached " << cached;
        }
    }
}

// One control of each designed text/background pair on system colours (the status lights keep
// fixed colours of their own).
TEST_F(PanelLook, TextsReadAtThreeToOnePressedOrNotAndLookGreyedWhenDisabled) {
    tune->findChild<QComboBox*>("U_segment")->setCurrentIndex(4);
    for (const char* name : {"U_message", "U_segment", "U_freq", "lblLoad", "U_oper_1", "U_ent"}) {
        auto* w = host.findChild<QWidget*>(name);
        auto* toggle = qobject_cast<QAbstractButton*>(w);
        double face[2] = {};
        for (const bool pressed : {false, true}) {
            if (toggle)
                toggle->setChecked(pressed);
            EXPECT_GE(inkContrast(w, w->rect().adjusted(3, 3, -3, -3)), 3.0) << name << pressed;
            face[pressed] = luminance(w->grab().toImage().pixelColor(4, w->height() / 2));
        }
        EXPECT_TRUE(!toggle || face[0] / face[1] >= 1.5) << name << " pressed or not at a glance";
        w->setEnabled(false);
        EXPECT_LT(inkContrast(w, w->rect().adjusted(3, 3, -3, -3)), 2.0) << name << " greyed";
    }
}

} // namespace
} // namespace tarvex
