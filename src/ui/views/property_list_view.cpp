#include "property_list_view.h"

#include "core/guard.h"

#include "format_value.h"
#include "frm_property_list.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QList>
#include <QTreeWidget>

#include <exception>

namespace tarvex {

namespace {

using Col = frmInspectorWindow::Column;

} // namespace

InspectorView::InspectorView(QObject* parent) : QObject(parent) {}

InspectorView::~InspectorView() {
    detach();
    delete mWindow.data();
}

QString InspectorView::Description() const {
    return QStringLiteral("System Property Inspector");
}

QString InspectorView::hex(std::int32_t value) {
    return QString::number(static_cast<std::uint32_t>(value), 16).toUpper();
}

void InspectorView::Initialize(const HubPtr& theHub, std::int16_t /*theIndex*/) {
    Terminate(); // a second Initialize starts afresh rather than leaking the first window

    mHub = theHub;
    if (theHub) {
        connect(theHub.get(), &Hub::NewItem, this, &InspectorView::mHub_NewItem);
        connect(theHub.get(), &Hub::ItemChangedValue, this, &InspectorView::mHub_ItemChangedValue);
        connect(theHub.get(), &Hub::ItemChangedInfo, this, &InspectorView::mHub_ItemChangedInfo);
    }
    mWindow = new frmInspectorWindow();
    mlvwInspector = mWindow->lvwInspector();
    mcboValue = mWindow->cboValue();
    connect(mWindow.data(), &frmInspectorWindow::closed, this, &InspectorView::mWindow_closed);
    connect(mlvwInspector.data(), &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* row) { mlvwInspector_ItemClick(row); });
    // Moving through the rows with the keyboard shows their values too, so the box never
    // holds one item's value while another row is selected.
    connect(mlvwInspector.data(), &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* row) { mlvwInspector_ItemClick(row); });
    mcboValue->installEventFilter(this);
    mWindow->show();
    FillList();
}

void InspectorView::Terminate() {
    // Closing the window takes the focus from an edit in progress, which ends it like any other
    // loss of focus; after this the view hears nothing of the window.
    if (mWindow && mcboValue && mWindow->focusWidget() == mcboValue)
        guarded(lcUi(), "inspector commit", [this] { CommitEdit(); });
    detach();
    if (mWindow) {
        // Nothing of the closing window may reach us any more, not even the focus loss that
        // hiding it causes: a commit now would write into an item after the view stopped.
        if (mcboValue)
            mcboValue->removeEventFilter(this);
        if (mlvwInspector)
            mlvwInspector->disconnect(this);
        mWindow->disconnect(this);
        mWindow->hide();
        // Terminate may come from inside one of the window's own handlers (its close, a commit
        // whose change reaches the host): deleting it there would pull the stack from under it.
        mWindow->deleteLater();
    }
    mWindow = nullptr;
    mlvwInspector = nullptr;
    mcboValue = nullptr;
    mRows.clear();
    mShownText.clear();
}

void InspectorView::detach() {
    if (auto hub = mHub.lock())
        hub->disconnect(this);
    mHub.reset();
}

void InspectorView::FillList() {
    if (!mlvwInspector)
        return;
    mlvwInspector->clear();
    mRows.clear();
    const HubPtr hub = mHub.lock();
    if (!hub)
        return;
    QList<QTreeWidgetItem*> rows;
    for (const ItemPtr& it : hub->GetItemCollection()) {
        if (!it || mRows.contains(it->Name()))
            continue;
        auto* row = new QTreeWidgetItem();
        row->setText(Col::kName, it->Name());
        UpdateRow(row, *it);
        mRows.insert(it->Name(), row);
        rows.append(row);
    }
    // One insertion for the lot: a hub of thousands of items fills at once.
    mlvwInspector->addTopLevelItems(rows);
}

QTreeWidgetItem* InspectorView::addRow(const Item& it) {
    auto* row = new QTreeWidgetItem(mlvwInspector.data());
    row->setText(Col::kName, it.Name());
    mRows.insert(it.Name(), row);
    return row;
}

void InspectorView::UpdateRow(QTreeWidgetItem* row, const Item& it) {
    row->setText(Col::kType, QStringLiteral("Unknown"));
    updateValues(row, it);
    const ItemInfoPtr& info = it.Info();
    if (!info)
        return; // the metadata columns keep what they held
    row->setText(Col::kType, info->typeName());
    row->setText(Col::kLow, QString::number(info->Low));
    row->setText(Col::kHigh, QString::number(info->High));
    row->setText(Col::kMetrics, hex(info->Metrics));
    row->setText(Col::kSecurity, hex(info->Security));
}

void InspectorView::updateValues(QTreeWidgetItem* row, const Item& it) {
    row->setText(Col::kValue, FormatValue(it.Value()));
    row->setText(Col::kLastValue, FormatValue(it.LastValue()));
}

void InspectorView::mHub_NewItem(const ItemPtr& it) {
    if (!it || !mlvwInspector)
        return;
    QTreeWidgetItem* row = mRows.value(it->Name());
    if (!row)
        row = addRow(*it);
    UpdateRow(row, *it);
}

void InspectorView::mHub_ItemChangedInfo(const ItemPtr& it) {
    if (!it)
        return;
    if (QTreeWidgetItem* row = mRows.value(it->Name()))
        UpdateRow(row, *it);
}

void InspectorView::mHub_ItemChangedValue(const ItemPtr& it) {
    if (!it)
        return;
    // Metering changes arrive many times a second: only this row's two value columns change.
    if (QTreeWidgetItem* row = mRows.value(it->Name()))
        updateValues(row, *it);
}

ItemPtr InspectorView::itemOf(const QTreeWidgetItem* row) const {
    const HubPtr hub = mHub.lock();
    if (!hub || !row)
        return nullptr;
    // Every row came from the hub; looking up instead of attaching never creates an item.
    return hub->GetItem(row->text(Col::kName));
}

void InspectorView::showValue(const ItemPtr& it) {
    if (!mcboValue || !it)
        return;
    mShownText = FormatValue(it->Value());
    mcboValue->setEditText(mShownText);
}

void InspectorView::mlvwInspector_ItemClick(QTreeWidgetItem* row) {
    showValue(itemOf(row));
}

void InspectorView::CommitEdit() {
    if (!mlvwInspector || !mcboValue)
        return;
    const QList<QTreeWidgetItem*> selected = mlvwInspector->selectedItems();
    if (selected.isEmpty())
        return;
    const QString text = mcboValue->currentText();
    // The box shows text values in quotes and an unset value as "<Empty>"; writing that back
    // unedited would change the item (and a value the amplifier changed meanwhile would be
    // overwritten with the stale one).
    if (text == mShownText)
        return;
    const ItemPtr it = itemOf(selected.first());
    if (!it)
        return;
    // Beyond 32 bits, or refused by the item's own type: nothing is stored.
    guarded(lcUi(), "inspector edit", [&] {
        if (const auto number = parseNumber(text))
            it->setValue(Variant(*number).toLong());
        else
            it->setValue(Variant(text));
    });
    // Whether stored, converted or refused, the box now shows what the item holds.
    showValue(it);
}

bool InspectorView::eventFilter(QObject* watched, QEvent* event) {
    // A box being destroyed still sends events (it gives up the focus) when it is no longer a
    // QComboBox; comparing through the typed pointer would then be an invalid downcast, and
    // committing would read a half-destroyed box. Only a live box is watched.
    const auto* box = qobject_cast<QComboBox*>(watched);
    if (box && box == mcboValue) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if ((key == Qt::Key_Return || key == Qt::Key_Enter) && mlvwInspector) {
                mlvwInspector->setFocus(Qt::OtherFocusReason); // ends the edit: CommitEdit
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            // A popup (the box's own list or a menu) takes the focus only for a while; the edit
            // goes on when it closes. Every other loss of focus, a switch to another window
            // included, ends the edit.
            if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
                guarded(lcUi(), "inspector commit", [this] { CommitEdit(); });
        }
    }
    return QObject::eventFilter(watched, event);
}

void InspectorView::mWindow_closed() {
    Terminate();
    emit windowClosed();
}

} // namespace tarvex
