#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QTreeWidget;

namespace tarvex {

// The "Inspector" window: a labelled value box above a report-style list with one row per item.
// It only lays itself out; InspectorView fills it and handles its controls.
class frmInspectorWindow : public QWidget {
    Q_OBJECT

public:
    // The list's columns, in order.
    enum Column : int {
        kName,
        kType,
        kValue,
        kLastValue,
        kLow,
        kHigh,
        kMetrics,
        kSecurity,
        kColumnCount
    };

    explicit frmInspectorWindow(QWidget* parent = nullptr);

    QComboBox* cboValue() const { return mCbo; }
    QLabel* lblValue() const { return mLbl; }
    QTreeWidget* lvwInspector() const { return mLvw; }

    // Designed column width in twips.
    static int columnWidthTwips(int column);

signals:
    // The user closed the window (not raised by hide() or deletion).
    void closed();

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Resize();
    // Places the label and the box's left edge, and widens the columns to their titles.
    void fitToFont();

    QLabel* mLbl = nullptr;
    QComboBox* mCbo = nullptr;
    QTreeWidget* mLvw = nullptr;
};

} // namespace tarvex
