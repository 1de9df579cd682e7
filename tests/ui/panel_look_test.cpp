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
    BannerControl* banner = new BannerControl(&host);
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
    for (QWidget* w : Bindings::controlsOf(&host)) {
        if (isBindingName(w->objectName())) {
            EXPECT_FALSE(w->toolTip().trimmed().isEmpty()) << qPrintable(w->objectName());
        }
    }
    for (const auto& [gauge, unit] :
         {std::pair{"U_pfwd", "(kW)"}, {"U_prfl", "(W)"}, {"U_ig", "(mA)"}, {"U_ip", "(A)"}})
        EXPECT_TRUE(meter->findChild<QWidget*>(gauge)->toolTip().contains(unit)) << gauge;
}

// The driver's link item, not the message's wording, marks the line; up, it looks as designed.
TEST_F(PanelLook, TheMessageLineShowsALinkProblemWhileTheLinkIsNotUp) {
    HubPtr hub = Hub::create();
    for (const auto& [name, type] : {std::pair{"1link", 0}, {"1message", 6}})
        hub->AttachItem(name)->setInfo(std::make_shared<ItemInfo>(ItemInfo{0, 2, type, 0, {}}));
    hub->GetItem("1message")->setValue("Amp on");
    auto* line = main->findChild<QLabel*>("U_message");
    line->setText("Amp on");
    const QImage designed = line->grab().toImage();
    main->Initialize(hub, 1);
    for (const auto& [link, marked] : {std::pair{1, false}, {0, true}, {1, false}, {2, true}}) {
        hub->GetItem("1link")->setValue(link);
        const QImage shown = line->grab().toImage(); // marked: white on the fault red
        EXPECT_TRUE(marked ? shown.pixel(3, 9) == colorFromDesigned(0x000000FF).rgb()
                           : shown == designed)
            << link;
        EXPECT_TRUE(!marked || inkContrast(line, line->rect().adjusted(3, 3, -3, -3)) >= 3) << link;
    }
}

// The power scale runs past the panel's right edge by design; the frame there stays whole, as
// on the left where the same etched lines end, cached or not, at one and two device pixels.
TEST_F(PanelLook, TheMeteringFrameRunsWholeDownTheRightEdgeAsDownTheLeft) {
    for (const int dpr : {1, 2, -1, -2}) { // negative: drawn afresh, without the picture
        meter->setPaintCacheEnabled(dpr > 0);
        QImage image(meter->size() * std::abs(dpr), QImage::Format_RGB32);
        image.setDevicePixelRatio(std::abs(dpr));
        meter->render(&image);
        int unlike = image.pixel(0, 40) != colorFromDesigned(0x80000010, meter->palette()).rgb();
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < std::abs(dpr); ++x)
                unlike += image.pixel(x, y) != image.pixel(image.width() - 1 - x, y);
        }
        EXPECT_EQ(unlike, 0) << dpr;
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
