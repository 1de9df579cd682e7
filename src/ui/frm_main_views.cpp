// frmMain's view hosting: the panels of the running drivers and their column layout.
#include "frm_main.h"

#include "core/guard.h"

#include "bar_gauge.h"
#include "twips.h"

#include <QCoreApplication>
#include <QLabel>
#include <QResizeEvent>
#include <QStatusBar>
#include <QWindow>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <limits>

namespace tarvex {

namespace {

// Layout lengths, in twips.
constexpr int kFirstRightEdge = 2400;
constexpr int kColumnLeft = 60;
constexpr int kRightMargin = 150;

// Each layout run may resize the window, which lays out again; a sound layout settles on the
// second run, so this only guards against a window system that keeps refusing our size.
constexpr int kMaxLayoutDepth = 8;

// Layout lengths are 16-bit. A sum that would not fit stays at the largest value instead of
// failing, so an absurdly tall column just makes the window as tall as it can be described.
std::int16_t sat16(long long value) {
    return static_cast<std::int16_t>(std::clamp<long long>(
        value, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}

QString controlName(std::int16_t number) {
    return QStringLiteral("c%1").arg(number);
}

} // namespace

void frmMain::ViewCreate(const ModuleList& mcollModules, const HubPtr& theHub) {
    closeDiagnostics(); // they watch the hub that is being replaced
    ViewDestroy();
    mViews.emplace();
    mHub = theHub;
    mNextView = 0;

    const bool withBanner = mcollModules.size() > 1;
    std::int16_t position = 0;
    for (const ModulePtr& module : mcollModules) {
        if (module && module->isAmplifierDriver()) {
            if (withBanner)
                ViewAdd(QLatin1String(PanelRegistry::kBannerControl), position);
            ViewAdd(QLatin1String(PanelRegistry::kMeterControl), position);
            ViewAdd(QLatin1String(PanelRegistry::kTuneControl), position);
            ViewAdd(QLatin1String(PanelRegistry::kMainControl), position);
            // Every new widget queues a polish request, and each layout request posted after
            // it scans the whole queue: let the queue through per amplifier, or building the
            // panels grows with the square of their number.
            QCoreApplication::sendPostedEvents();
        }
        position = sat16(position + 1);
    }
    mModuleCount = sat16(static_cast<long long>(mcollModules.size()));
    followAlarms();
    ViewLayout();
}

void frmMain::ViewAdd(const QString& className, std::int16_t index) {
    if (!mViews)
        mViews.emplace();
    QWidget* view = mPanels.create(className, mClient);
    if (!view)
        return; // an unknown or failing panel class leaves a gap, not a crash
    if (view->parentWidget() != mClient)
        view->setParent(mClient);
    view->setObjectName(controlName(mNextView));
    mNextView = sat16(mNextView + 1);
    mViews->append(view);

    if (auto* module = dynamic_cast<Module*>(view)) {
        try {
            module->Initialize(mHub, index);
        } catch (const std::exception& e) {
            mServer_errorOccurred(tr("The panel %1 could not be started: %2")
                                      .arg(className, QString::fromUtf8(e.what())));
        }
    }
    // After binding, so that no designed value is held as a peak.
    const bool peaks = peakHold();
    for (BarGauge* gauge : view->findChildren<BarGauge*>())
        gauge->setPeakHold(peaks);
}

void frmMain::ViewDestroy() {
    if (mViews) {
        for (const QPointer<QWidget>& view : std::as_const(*mViews)) {
            if (auto* module = dynamic_cast<Module*>(view.data())) {
                // Not reported: the panel goes either way.
                guarded(lcUi(), "panel end", [&] { module->Terminate(); });
            }
            // The view is the control named c0, c1, ... in creation order. Deleted at once so
            // that the next ViewCreate can reuse the names.
            delete view.data();
        }
    }
    mViews.reset();
    mHub.reset();
    followAlarms();
    mNextView = 0;
}

QList<QWidget*> frmMain::views() const {
    QList<QWidget*> result;
    if (mViews) {
        for (const QPointer<QWidget>& view : *mViews) {
            if (view)
                result.append(view.data());
        }
    }
    return result;
}

namespace {

// The height a bar takes at the window's width; 0 while hidden.
int barHeight(const QWidget* bar, int width) {
    if (!bar || bar->isHidden())
        return 0;
    const int h = bar->hasHeightForWidth() ? bar->heightForWidth(width) : -1;
    return h < 0 ? bar->sizeHint().height() : h;
}

} // namespace

int frmMain::clientHeight() const {
    // The menu bar above, and the status line below while it shows.
    const int bars =
        barHeight(menuWidget(), width()) + (lblStatus ? barHeight(statusBar(), width()) : 0);
    return std::max(0, height() - bars);
}

void frmMain::showStatus(const QString& text) {
    if (!lblStatus) {
        if (text.isEmpty())
            return;
        lblStatus = new QLabel(this);
        lblStatus->setObjectName(QStringLiteral("lblStatus"));
        // The window is as narrow as its panels: a sentence takes as many lines as it needs.
        lblStatus->setWordWrap(true);
        statusBar()->setSizeGripEnabled(false);
        statusBar()->addWidget(lblStatus, 1);
        statusBar()->hide();
    }
    const int before = barHeight(statusBar(), width());
    lblStatus->setText(text);
    statusBar()->setVisible(!text.isEmpty());
    // The window grows or shrinks by the line, so the panels keep their room and their columns.
    if (const int after = barHeight(statusBar(), width()); after != before)
        resize(width(), height() + after - before);
    ViewLayout();
}

void frmMain::ViewLayout() {
    if (!mViews)
        return;
    // Sizes cannot be set while minimised or maximised; the restore raises a resize anyway.
    if (isMinimized() || isMaximized() || isFullScreen())
        return;
    if (mLayoutDepth >= kMaxLayoutDepth)
        return;
    ++mLayoutDepth;

    std::int16_t R = kFirstRightEdge;
    std::int16_t L = kColumnLeft;
    std::int16_t T = 0;
    std::int16_t B = 0;
    const std::int16_t C = sat16(Twips::fromPixelsY(clientHeight(), this));

    for (const QPointer<QWidget>& view : std::as_const(*mViews)) {
        if (!view)
            continue;
        const std::int16_t h = sat16(Twips::fromPixelsY(view->height(), this));
        const std::int16_t w = sat16(Twips::fromPixelsX(view->width(), this));
        // One driver: any panel that does not fit starts a column. Several: only a banner does,
        // so each driver's panels stay under its banner.
        if (sat16(T + h) > C && h <= C && (PanelRegistry::isBanner(view) || mModuleCount == 1)) {
            L = R;
            T = 0;
        }
        view->move(Twips::toPixelsX(L, this), Twips::toPixelsY(T, this));
        view->show();
        T = sat16(T + h);
        B = std::max(B, T);
        if (sat16(L + w) > R)
            R = sat16(L + w);
    }

    // The client area becomes exactly B high; the window, frame included, as wide as the
    // columns plus a margin. resize() sets the size inside the frame, so the frame a window
    // manager adds is taken off (none is known before the window is first shown).
    mLaidOutFrame = frameGeometry().size() - size();
    const QSize target(Twips::toPixelsX(sat16(R + kRightMargin), this) - mLaidOutFrame.width(),
                       height() - clientHeight() + Twips::toPixelsY(B, this));
    if (target != size())
        resize(target); // raises a resize event, which lays out again with the new height

    --mLayoutDepth;
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ViewLayout();
}

void frmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (QWindow* window = windowHandle())
        window->installEventFilter(this);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    // A window manager frames the window before it first shows it; the window may keep its
    // place and size meanwhile, so no move or resize says so, but an expose always follows.
    if (watched == windowHandle() && event->type() == QEvent::Expose &&
        frameGeometry().size() - size() != mLaidOutFrame)
        QMetaObject::invokeMethod(this, &frmMain::ViewLayout, Qt::QueuedConnection);
    return QMainWindow::eventFilter(watched, event);
}

} // namespace tarvex
