#pragma once

#include "core/hub.h"
#include "core/module.h"
#include "frm_property_list.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>

class QComboBox;
class QTreeWidget;
class QTreeWidgetItem;

namespace tarvex {

class frmInspectorWindow;

// Diagnostic module, the "System Property Inspector": the "Inspector" window lists every item
// of the hub with its value, previous value and metadata, kept current from the hub's events.
// The value box above the list writes a typed value into the selected item when it loses the
// focus (Enter moves the focus to the list).
//
// A host creates it, calls Initialize(hub, anyIndex) to open the window and Terminate() to
// close it. The view holds the hub weakly: it never keeps a stopped server's hub alive.
class InspectorView : public QObject, public Module {
    Q_OBJECT

public:
    explicit InspectorView(QObject* parent = nullptr);
    ~InspectorView() override;

    void Initialize(const HubPtr& theHub, std::int16_t theIndex) override;
    void Terminate() override;
    void EditProperties() override {}
    QString Description() const override;
    void WriteProps(PropertyBag&) override {}
    void ReadProps(PropertyBag&) override {}

    // The open window; null before Initialize and after Terminate.
    frmInspectorWindow* window() const { return mWindow; }
    // The row showing the item of that name, or null.
    QTreeWidgetItem* row(const QString& name) const { return mRows.value(name); }

    // Rebuilds the list from the hub's collection.
    void FillList();
    // Writes the value box's text into the selected row's item. Does nothing without a selected
    // row or when the box still shows what the view put there. A value the item refuses (or a
    // number beyond 32 bits) stores nothing; the box then shows the item's current value again.
    void CommitEdit();

    // Upper-case hexadecimal without leading zeros; negatives as their 32-bit two's complement.
    static QString hex(std::int32_t value);

signals:
    // The user closed the window. The view has already terminated itself; a host may drop it
    // (from a queued call: the signal is raised inside the window's close handling).
    void windowClosed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void mHub_NewItem(const ItemPtr& it);
    void mHub_ItemChangedValue(const ItemPtr& it);
    void mHub_ItemChangedInfo(const ItemPtr& it);
    void mlvwInspector_ItemClick(QTreeWidgetItem* row);
    void mWindow_closed();

    QTreeWidgetItem* addRow(const Item& it);
    static void UpdateRow(QTreeWidgetItem* row, const Item& it);
    static void updateValues(QTreeWidgetItem* row, const Item& it);
    ItemPtr itemOf(const QTreeWidgetItem* row) const;
    void showValue(const ItemPtr& it);
    void detach();

    std::weak_ptr<Hub> mHub;
    QPointer<frmInspectorWindow> mWindow;
    QPointer<QTreeWidget> mlvwInspector;
    QPointer<QComboBox> mcboValue;
    // Rows by key (the item's Name), so that a change touches its row without a search.
    QHash<QString, QTreeWidgetItem*> mRows;
    // What the view last put in the value box; leaving the box unedited writes nothing.
    QString mShownText;
};

} // namespace tarvex
