#include "main_control.h"

#include "alarm_follower.h"
#include "binding/bind_label.h"
#include "core/alarm_settings.h"
#include "core/amplifier_vocabulary.h"
#include "core/guard.h"
#include "core/hub.h"
#include "core/swr.h"
#include "core/user_settings.h"
#include "push_toggle.h"

#include <QFrame>
#include <QLabel>

namespace tarvex {

namespace {
// The message line as designed, and while the link is down or silent: white on the fault red,
// which reads at 4:1 where red text on the designed grey would not read at all.
constexpr std::uint32_t kMessageBack = 0x8000000C;
constexpr std::uint32_t kMessageFore = 0x8000000E;
constexpr std::uint32_t kLinkProblemBack = 0x000000FF;
constexpr std::uint32_t kLinkProblemFore = 0x00FFFFFF;
// The designed panel is 1200 twips high; the SWR and alarm line is added below it.
constexpr int kDesignedHeight = 1200;
constexpr int kAlarmLineHeight = 240;
} // namespace

MainControl::MainControl(QWidget* parent)
    : PanelControl(2400, kDesignedHeight + kAlarmLineHeight, parent) {
    setObjectName(QStringLiteral("MainControl"));

    addSwitchPair(QStringLiteral("Picture10"), QRect(45, 180, 465, 675), QStringLiteral("ac"),
                  QStringLiteral("ON"), tr("Mains power on"), QStringLiteral("OFF"),
                  tr("Mains power off"));
    addSwitchPair(QStringLiteral("Picture2"), QRect(1350, 180, 465, 675), QStringLiteral("oper"),
                  QStringLiteral("OPR"), tr("Operate: the amplifier amplifies"),
                  QStringLiteral("SBY"), tr("Standby: the amplifier does not amplify"));
    addSwitchPair(QStringLiteral("Picture1"), QRect(1905, 180, 465, 675), QStringLiteral("hv"),
                  QStringLiteral("HI"), tr("High voltage mode: full power"), QStringLiteral("LO"),
                  tr("Low voltage mode: reduced power"));

    addLight(QStringLiteral("U_oper"), 195, QStringLiteral("STBY"),
             QStringLiteral("OFF,B STBY,Y OPER,G "), 0x000000FF,
             QStringLiteral("Displays amplifier standby or operate status"));
    addLight(QStringLiteral("U_fault"), 405, QStringLiteral("OK"),
             QStringLiteral("OFF,B OK,G FAULT,R"), 0x00000000,
             QStringLiteral("Amplifier fault indicator light"));
    addLight(QStringLiteral("U_warmup"), 615, QStringLiteral("WAIT"),
             QStringLiteral("OFF,B READY,G WAIT,Y"), 0x00000000,
             QStringLiteral("Display \"wait\" if amplifier is warming up"));

    QLabel* message = addLabel(this, QStringLiteral("U_message"), QRect(45, 885, 2325, 285),
                               QStringLiteral("No Amplifier Detected"));
    message->setFont(sansFont(8.25));
    message->setToolTip(tr("Messages from the amplifier and about its link"));
    setColors(message, kMessageBack, kMessageFore);
    mMessage = message;
    setBorder(message);

    addLabel(this, QStringLiteral("PWR"), QRect(90, 15, 345, 165), QStringLiteral("PWR"));
    addLabel(this, QStringLiteral("lbl"), QRect(645, 15, 570, 165), QStringLiteral("STATUS"));
    addLabel(this, QStringLiteral("lbl33"), QRect(1350, 15, 450, 165), QStringLiteral("MODE"));
    addLabel(this, QStringLiteral("lbl252"), QRect(2040, 15, 240, 165), QStringLiteral("HV"));

    const int lineTop = kDesignedHeight - 15;
    QLabel* swr = addLabel(this, QStringLiteral("lblSwr"), QRect(45, lineTop, 960, 225),
                           QStringLiteral("SWR —"));
    swr->setFont(sansFont(8.25, true));
    swr->setToolTip(tr("Standing-wave ratio from forward and reflected power"));
    mSwr = swr;
    QLabel* alarmLine = addLabel(this, QStringLiteral("lblAlarm"),
                                 QRect(1050, lineTop, 1320, 225), QString());
    alarmLine->setFont(sansFont(8.25));
    alarmLine->setToolTip(tr("The standing alarm: a click on the panel acknowledges it"));
    mAlarmLine = alarmLine;
    mSwrPace.setSingleShot(true);
    mSwrPace.setInterval(kSwrPaceMs);
    connect(&mSwrPace, &QTimer::timeout, this, &MainControl::showSwr);

    addFrame();
    for (int x : {540, 1275, 1845})
        addEtchedVertical(x, 45, 855);
}

QString MainControl::swrText(double forwardW, double reflectedW, int minForwardW) {
    if (!(forwardW >= minForwardW) || forwardW <= 0)
        return QStringLiteral("SWR —");
    return QStringLiteral("SWR %1:1").arg(swr(forwardW, reflectedW), 0, 'f', 1);
}

void MainControl::reloadAlarmSettings() {
    QSettings settings = userSettings();
    mMinForwardW = AlarmSettings::load(settings, mIndex).minForwardW;
    showSwr();
}

void MainControl::showSwr() {
    if (!mSwr)
        return;
    double forward = 0;
    double reflected = 0;
    // A reading that is no number shows no figure.
    const bool read = guarded(lcUi(), "SWR", [&] {
        forward = mForward ? mForward->Value().toDouble() : 0;
        reflected = mReflected ? mReflected->Value().toDouble() : 0;
    });
    const QString text = swrText(read ? forward : 0, reflected, mMinForwardW);
    if (text != mSwr->text())
        mSwr->setText(text);
}

void MainControl::alarmChanged() {
    if (!mAlarmLine)
        return;
    const AlarmFollower* a = alarm();
    const int level = a ? a->level() : 0;
    const QString text = level == 0 ? QString()
                                    : QStringLiteral("%1: %2").arg(
                                          level >= 2 ? tr("TRIP") : tr("WARNING"), a->text());
    if (text != mAlarmLine->text())
        mAlarmLine->setText(text);
    QPalette pal = palette();
    if (level != 0 && a->flashLit()) {
        pal.setColor(QPalette::Window, alarmColor(level));
        pal.setColor(QPalette::WindowText, level >= 2 ? Qt::white : Qt::black);
    }
    mAlarmLine->setPalette(pal);
    mAlarmLine->setAutoFillBackground(level != 0);
}

MainControl::~MainControl() {
    // Before the panel is half gone: the link item must not reach it any more.
    MainControl::Terminate();
}

void MainControl::Initialize(const HubPtr& theHub, std::int16_t theIndex) {
    PanelControl::Initialize(theHub, theIndex);
    if (mLink)
        mLink->disconnect(this);
    mLink = theHub ? theHub->AttachItem(QString::number(theIndex) + QLatin1String(amp::kLink))
                   : nullptr;
    if (mLink)
        connect(mLink.get(), &Item::ValueChange, this, &MainControl::mLink_ValueChange);
    mLink_ValueChange();

    for (const ItemPtr& it : {mForward, mReflected})
        if (it)
            it->disconnect(this);
    mIndex = theIndex;
    const QString prefix = QString::number(theIndex);
    mForward = theHub ? theHub->AttachItem(prefix + QLatin1String("pfwd")) : nullptr;
    mReflected = theHub ? theHub->AttachItem(prefix + QLatin1String("prfl")) : nullptr;
    // A reading shows at once when the figure has been still for a while, else with the next
    // beat of the pace.
    const auto readingChanged = [this] {
        if (!mSwrPace.isActive()) {
            showSwr();
            mSwrPace.start();
        }
    };
    for (const ItemPtr& it : {mForward, mReflected})
        if (it)
            connect(it.get(), &Item::ValueChange, this, readingChanged);
    reloadAlarmSettings();
}

void MainControl::Terminate() {
    for (const ItemPtr& it : {mLink, mForward, mReflected})
        if (it)
            it->disconnect(this);
    mSwrPace.stop();
    mLink.reset();
    mForward.reset();
    mReflected.reset();
    PanelControl::Terminate();
}

void MainControl::mLink_ValueChange() {
    if (!mMessage || !mLink)
        return;
    // The driver's item, never the message's wording. Anything but "up" is a problem, a value
    // that is no number included.
    bool up = false;
    guarded(lcUi(), "link state",
            [&] { up = mLink->Value().toLong() == static_cast<std::int32_t>(amp::Link::Up); });
    if (up)
        setColors(mMessage, kMessageBack, kMessageFore);
    else
        setColors(mMessage, kLinkProblemBack, kLinkProblemFore);
}

void MainControl::addSwitchPair(const QString& box, const QRect& boxTwips, const QString& item,
                                const QString& on, const QString& onTip, const QString& off,
                                const QString& offTip) {
    QFrame* picture = addPictureBox(box, boxTwips);
    addOptionButton(picture, QStringLiteral("U_%1_1").arg(item), QRect(-15, -15, 420, 315), on)
        ->setToolTip(onTip);
    addOptionButton(picture, QStringLiteral("U_%1_0").arg(item), QRect(-15, 285, 420, 330), off)
        ->setToolTip(offTip);
}

void MainControl::addLight(const QString& name, int top, const QString& caption, const QString& tag,
                           std::uint32_t fore, const QString& toolTip) {
    QLabel* light = addLabel(this, name, QRect(630, top, 585, 225), caption);
    light->setProperty(BindLabel::kTagProperty, tag);
    light->setAlignment(Qt::AlignCenter);
    light->setFont(smallFont(6));
    light->setToolTip(toolTip);
    setColors(light, 0x00404040, fore);
    setBorder(light);
}

} // namespace tarvex
