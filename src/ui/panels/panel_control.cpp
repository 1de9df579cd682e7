#include "panel_control.h"

#include "alarm_follower.h"
#include "binding/bindings.h"
#include "binding/colors.h"
#include "fit_label.h"
#include "push_toggle.h"
#include "ui/designed_fonts.h"
#include "tab_order.h"
#include "ui/bar_gauge.h"
#include "ui/twips.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPainter>

namespace tarvex {

namespace {
constexpr std::uint32_t kButtonShadow = 0x80000010;
constexpr std::uint32_t kButtonHighlight = 0x80000014;
constexpr std::uint32_t kButtonFace = 0x8000000F;
// The alarm frame, in pixels: inside the margin every panel keeps free of controls.
constexpr int kAlarmFrame = 2;
} // namespace

PanelControl::PanelControl(int widthTwips, int heightTwips, QWidget* parent)
    : QWidget(parent), mWidthTwips(widthTwips), mHeightTwips(heightTwips) {
    setFixedSize(Twips::toPixels(QSize(widthTwips, heightTwips), this));
    setAutoFillBackground(true);
    setColors(this, kButtonFace, 0x80000012);
}

PanelControl::~PanelControl() {
    Terminate();
}

void PanelControl::Initialize(const HubPtr& theHub, std::int16_t theIndex) {
    mBindings = std::make_unique<Bindings>();
    mBindings->Create(theHub, this, theIndex);
    delete mAlarm;
    mAlarm = new AlarmFollower(theHub, theIndex, flashesOnAlarm(), this);
    connect(mAlarm, &AlarmFollower::changed, this, [this] {
        watchClicks(mAlarm && mAlarm->level() != 0);
        update();
        alarmChanged();
    });
    watchClicks(false);
    alarmChanged();
    update();
}

void PanelControl::Terminate() {
    if (mAlarm) {
        watchClicks(false);
        delete mAlarm;
        mAlarm = nullptr;
        alarmChanged();
    }
    if (!mBindings)
        return;
    mBindings->Release();
    mBindings.reset();
}

void PanelControl::place(QWidget* w, const QRect& twips) {
    w->setGeometry(Twips::toPixels(twips, this));
}

QLabel* PanelControl::addLabel(QWidget* parent, const QString& name, const QRect& twips,
                               const QString& caption) {
    auto* label = new FitLabel(caption, parent);
    label->setObjectName(name);
    label->setFont(smallFont(6.75));
    place(label, twips);
    return label;
}

QFrame* PanelControl::addPictureBox(const QString& name, const QRect& twips) {
    auto* box = new QFrame(this);
    box->setObjectName(name);
    box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    box->setAutoFillBackground(true);
    setColors(box, kButtonFace, 0x80000012);
    place(box, twips);
    return box;
}

PushOptionButton* PanelControl::addOptionButton(QWidget* box, const QString& name,
                                                const QRect& twips, const QString& caption) {
    auto* b = new PushOptionButton(caption, box);
    b->setObjectName(name);
    b->setFont(smallFont(6.75));
    b->setFocusPolicy(Qt::TabFocus);
    setColors(b, kButtonShadow, 0x80000009);
    place(b, twips);
    return b;
}

PushCheckBox* PanelControl::addCheckBox(QWidget* box, const QString& name, const QRect& twips,
                                        const QString& caption) {
    auto* b = new PushCheckBox(caption, box);
    b->setObjectName(name);
    b->setFont(smallFont(6.75));
    b->setFocusPolicy(Qt::TabFocus);
    setColors(b, kButtonShadow, 0x8000000E);
    place(b, twips);
    return b;
}

QComboBox* PanelControl::addComboBox(const QString& name, const QRect& twips,
                                     const QStringList& items) {
    auto* c = new QComboBox(this);
    c->setObjectName(name);
    c->addItems(items);
    c->setCurrentIndex(-1);
    c->setFont(sansFont(8.25));
    setColors(c, 0x8000000C, 0x8000000E);
    // Styles draw the face a fifth lighter than the Button colour, as for the switches; a fifth
    // darker keeps it at the designed colour, on which the white entry reads.
    QPalette pal = c->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive})
        pal.setColor(group, QPalette::Button, pal.color(group, QPalette::Button).darker(120));
    c->setPalette(pal);
    place(c, twips);
    return c;
}

void PanelControl::addFrame() {
    mStatic.invalidate();
    const int r = mWidthTwips - 15;
    const int b = mHeightTwips - 15;
    for (const QLine& l :
         {QLine(0, 0, r, 0), QLine(0, b, r, b), QLine(0, 0, 0, b), QLine(r, 0, r, b)})
        mLines.push_back({l, kButtonShadow});
}

void PanelControl::addEtchedVertical(int x, int top, int bottom) {
    mStatic.invalidate();
    mLines.push_back({QLine(x, top, x, bottom), kButtonShadow});
    mLines.push_back({QLine(x + 15, top, x + 15, bottom), kButtonHighlight});
}

void PanelControl::addEtchedHorizontal(int y, int left, int right) {
    mStatic.invalidate();
    mLines.push_back({QLine(left, y, right, y), kButtonShadow});
    mLines.push_back({QLine(left, y + 15, right, y + 15), kButtonHighlight});
}

QFont PanelControl::smallFont(double points) {
    return designedFont(QLatin1String(kDesignedSmallFace), points);
}

QFont PanelControl::sansFont(double points, bool bold) {
    return designedFont(QLatin1String(kDesignedSansFace), points, bold);
}

void PanelControl::setColors(QWidget* w, std::uint32_t back, std::uint32_t fore) {
    QPalette pal = w->palette();
    const QColor b = colorFromDesigned(back, pal);
    const QColor f = colorFromDesigned(fore, pal);
    // Only the enabled groups: a control disabled for want of a value keeps the toolkit's
    // greyed colours, so it looks disabled whatever it was designed in.
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        for (const auto role : {QPalette::Window, QPalette::Button, QPalette::Base})
            if (b.isValid())
                pal.setColor(group, role, b);
        for (const auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            if (f.isValid())
                pal.setColor(group, role, f);
    }
    w->setPalette(pal);
    w->setAutoFillBackground(b.isValid());
}

void PanelControl::setBorder(QLabel* label) {
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setLineWidth(1);
}

void PanelControl::setPaintCacheEnabled(bool enabled) {
    mStatic.setEnabled(enabled);
    for (BarGauge* gauge : findChildren<BarGauge*>())
        gauge->setPaintCacheEnabled(enabled);
}

bool PanelControl::event(QEvent* event) {
    // Polished just before it is first shown or grabbed: every control is in place by then.
    if (event->type() == QEvent::Polish) {
        mStatic.adopt();
        orderTabsByPosition(this);
    }
    return QWidget::event(event);
}

void PanelControl::watchClicks(bool on) {
    // Clicks on the controls too: they are where an operator's hand goes. Only while an alarm
    // stands, so that no event of the panel passes the filter otherwise.
    if (on == mWatchingClicks)
        return;
    mWatchingClicks = on;
    QList<QWidget*> all = findChildren<QWidget*>();
    all << this;
    for (QWidget* w : all) {
        if (on)
            w->installEventFilter(this);
        else
            w->removeEventFilter(this);
    }
}

QColor PanelControl::alarmColor(int level) {
    return level >= 2 ? QColor(0xE0, 0x00, 0x00) : QColor(0xFF, 0xA0, 0x00);
}

bool PanelControl::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && mAlarm && mAlarm->level() != 0)
        mAlarm->acknowledge();
    return QWidget::eventFilter(watched, event);
}

void PanelControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!mStatic.paint(p))
        paintLines(p);
    if (mAlarm && mAlarm->level() != 0) {
        const QColor c = alarmColor(mAlarm->level());
        const QRect r = rect();
        p.fillRect(QRect(r.left(), r.top(), r.width(), kAlarmFrame), c);
        p.fillRect(QRect(r.left(), r.bottom() - kAlarmFrame + 1, r.width(), kAlarmFrame), c);
        p.fillRect(QRect(r.left(), r.top(), kAlarmFrame, r.height()), c);
        p.fillRect(QRect(r.right() - kAlarmFrame + 1, r.top(), kAlarmFrame, r.height()), c);
    }
}

void PanelControl::paintLines(QPainter& p) const {
    // Each line fills whole pixels, ends included. A pen would centre it on the pixel's edge,
    // which at a device pixel ratio of 2 puts half of it into the next pixel: half the frame
    // then falls off the panel's top and left, and a caption beside the right edge covers half.
    for (const Line& l : mLines) {
        const QRect pixels =
            QRect(Twips::toPixels(l.twips.p1(), this), Twips::toPixels(l.twips.p2(), this))
                .normalized();
        p.fillRect(pixels, colorFromDesigned(l.color, palette()));
    }
}

} // namespace tarvex
