#pragma once

#include "core/hub.h"
#include "core/module.h"
#include "frm_event_trail.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>

class QComboBox;
class QPlainTextEdit;

namespace tarvex {

class frmEventTrail;

// Diagnostic module: the "Event Trail Viewer" window writes one line for every new item and
// every value change the hub announces, optionally narrowed to one item. It only listens.
//
// A host creates it, calls Initialize(hub, anyIndex) to open the window and Terminate() to
// close it. The view holds the hub weakly: it never keeps a stopped server's hub alive.
class EventTrailView : public QObject, public Module {
    Q_OBJECT

public:
    // The trail box drops its oldest kTrimChars characters when it holds kTrimAt or more.
    static constexpr int kTrimAt = 16384;
    static constexpr int kTrimChars = 4096;

    explicit EventTrailView(QObject* parent = nullptr);
    ~EventTrailView() override;

    void Initialize(const HubPtr& theHub, std::int16_t theIndex) override;
    void Terminate() override;
    void EditProperties() override {}
    QString Description() const override;
    void WriteProps(PropertyBag&) override {}
    void ReadProps(PropertyBag&) override {}

    // The open window; null before Initialize and after Terminate.
    frmEventTrail* window() const { return mWindow; }
    // The trail as shown, one line break per line.
    QString trailText() const;

    // Adds text at the end of the trail box, first dropping the oldest characters when full.
    void AppendTrail(const QString& text);

signals:
    // The user closed the window. The view has already terminated itself; a host may drop it
    // (from a queued call: the signal is raised inside the window's close handling).
    void windowClosed();

private:
    void mHub_NewItem(const ItemPtr& it);
    void mHub_ItemChangedValue(const ItemPtr& it);
    void mWindow_closed();
    void detach();

    std::weak_ptr<Hub> mHub;
    QPointer<frmEventTrail> mWindow;
    QPointer<QComboBox> mcboTrail;
    QPointer<QPlainTextEdit> mTxtTrail;
};

} // namespace tarvex
