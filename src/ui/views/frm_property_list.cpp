#include "frm_property_list.h"

#include "ui/twips.h"
#include "ui/window_placement.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>

#include <algorithm>
#include <array>

namespace tarvex {

namespace {

// Designed geometry, in twips. The box and the list start just left of the window and reach
// just past its right and bottom edges, which hides their borders there.
constexpr QSize kInnerArea(4290, 5670);
constexpr QRect kValueBox(-15, 0, 4305, 0);
constexpr QRect kList(-15, 300, 4305, 5370);
constexpr int kBoxOverhang = 25;
constexpr int kListOverhang = 50;
// The value box's label stands at its left, on the box's row; the box starts after it.
constexpr int kLabelLeft = 60;
constexpr int kLabelGap = 60;

struct ColumnDesign {
    const char* header;
    int width;
};
constexpr std::array<ColumnDesign, frmInspectorWindow::kColumnCount> kColumns{{
    {"Name", 1440},
    {"Type", 600},
    {"Value", 1440},
    {"LastValue", 1440},
    {"Low", 600},
    {"High", 600},
    {"Metrics", 1000},
    {"Security", 1000},
}};

} // namespace

int frmInspectorWindow::columnWidthTwips(int column) {
    return column >= 0 && column < kColumnCount ? kColumns[column].width : 0;
}

frmInspectorWindow::frmInspectorWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmInspectorWindow"));
    setWindowTitle(tr("Inspector"));
    // A diagnostic window must never keep the program running after the main window closed.
    setAttribute(Qt::WA_QuitOnClose, false);

    mLbl = new QLabel(tr("&Value:"), this);
    mLbl->setObjectName(QStringLiteral("lblValue"));
    mCbo = new QComboBox(this);
    mCbo->setObjectName(QStringLiteral("cboValue"));
    mCbo->setEditable(true);
    mCbo->setToolTip(tr("Type a value and press Enter to write it into the selected item"));
    // Enter ends the edit; it must not also collect typed values as list entries.
    mCbo->setInsertPolicy(QComboBox::NoInsert);
    mLbl->setBuddy(mCbo);

    mLvw = new QTreeWidget(this);
    mLvw->setObjectName(QStringLiteral("lvwInspector"));
    mLvw->setRootIsDecorated(false);
    mLvw->setItemsExpandable(false);
    mLvw->setUniformRowHeights(true); // keeps a hub of thousands of items cheap to show
    mLvw->setSelectionMode(QAbstractItemView::SingleSelection);
    mLvw->setSelectionBehavior(QAbstractItemView::SelectRows);
    mLvw->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mLvw->setAllColumnsShowFocus(true);
    mLvw->setColumnCount(kColumnCount);
    QStringList headers;
    for (const ColumnDesign& column : kColumns)
        headers << QLatin1String(column.header);
    mLvw->setHeaderLabels(headers);
    mLvw->header()->setStretchLastSection(false);
    mLvw->setGeometry(Twips::toPixels(kList, this));
    fitToFont();

    resize(Twips::toPixels(kInnerArea, this));
    WindowPlacement::keep(this, QStringLiteral("Inspector"));
}

void frmInspectorWindow::fitToFont() {
    const int top = Twips::toPixelsY(kValueBox.top(), this);
    const int boxHeight = mCbo->sizeHint().height();
    mLbl->setGeometry(Twips::toPixelsX(kLabelLeft, this), top, mLbl->sizeHint().width(), boxHeight);
    mCbo->setGeometry(mLbl->geometry().right() + 1 + Twips::toPixelsX(kLabelGap, this), top,
                      mCbo->width(), boxHeight);
    Form_Resize();
    // The designed widths were made for a narrower face: none may cut its title.
    const QHeaderView* header = mLvw->header();
    for (int c = 0; c < kColumnCount; ++c)
        mLvw->setColumnWidth(
            c, std::max(Twips::toPixelsX(kColumns[c].width, this), header->sectionSizeHint(c)));
}

void frmInspectorWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitToFont();
}

void frmInspectorWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmInspectorWindow::Form_Resize() {
    // A window lower than the list's top (minimised, or dragged small) leaves the list zero high
    // rather than negative.
    // The box's right edge, as the list's, stays just past the window's; its left stays by the
    // label.
    const int boxRight = width() + Twips::toPixelsX(kValueBox.left() + kBoxOverhang, this);
    mCbo->resize(std::max(0, boxRight - mCbo->x()), mCbo->height());
    const int top = mLvw->y();
    mLvw->resize(std::max(0, width() + Twips::toPixelsX(kListOverhang, this)),
                 std::max(0, height() - top + Twips::toPixelsY(kListOverhang, this)));
}

void frmInspectorWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted())
        emit closed();
}

} // namespace tarvex
