#include "frm_event_trail.h"

#include "ui/twips.h"
#include "ui/window_placement.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QPlainTextEdit>

#include <algorithm>

namespace tarvex {

namespace {

// Designed geometry, in twips.
constexpr QSize kInnerArea(5250, 3015);
constexpr QPoint kListPos(0, 30);
constexpr int kListWidth = 1785;
constexpr int kTrailTop = 405;
constexpr int kTrailHeight = 2625;

} // namespace

frmEventTrail::frmEventTrail(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmEventTrail"));
    setWindowTitle(tr("Event Trail Viewer"));
    // A diagnostic window must never keep the program running after the main window closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    // The application's face, as every other window: the designed serif face has no stand-in
    // here and made this one window look foreign.

    mCbo = new QComboBox(this);
    mCbo->setObjectName(QStringLiteral("cboEventTrail"));
    mCbo->setEditable(false);
    mCbo->move(Twips::toPixels(kListPos, this));
    mCbo->addItem(tr("(Track All Items)"));
    // The designed width was made for a narrower font; never cut the first entry short.
    mCbo->resize(std::max(Twips::toPixelsX(kListWidth, this), mCbo->sizeHint().width()),
                 mCbo->sizeHint().height());

    mTxt = new QPlainTextEdit(this);
    mTxt->setObjectName(QStringLiteral("txtEventTrail"));
    mTxt->setReadOnly(true);
    mTxt->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // The trail only ever grows at its end; an undo history would grow without bound.
    mTxt->setUndoRedoEnabled(false);
    mTxt->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff); // long lines wrap
    mTxt->setGeometry(0, Twips::toPixelsY(kTrailTop, this),
                      Twips::toPixelsX(kInnerArea.width(), this),
                      Twips::toPixelsY(kTrailHeight, this));
    mTxt->setPlainText(QStringLiteral("<<Event Trail Started>>\n"));

    resize(Twips::toPixels(kInnerArea, this));
    WindowPlacement::keep(this, QStringLiteral("EventTrail"));
}

void frmEventTrail::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmEventTrail::Form_Resize() {
    // The trail keeps its top and fills the rest; a window lower than that top (minimised, or
    // dragged small) leaves it zero high rather than negative.
    const int top = mTxt->y();
    mTxt->setGeometry(0, top, std::max(0, width()), std::max(0, height() - top));
}

void frmEventTrail::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted())
        emit closed();
}

} // namespace tarvex
