#include "frm_station_links.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tarvex {

namespace {

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

frmStationLinks::frmStationLinks(Hooks hooks, QWidget* parent)
    : QDialog(parent), mHooks(std::move(hooks)) {
    setObjectName(QStringLiteral("frmStationLinks"));
    setWindowTitle(tr("Station Links"));
    txtRigctld = named(new QLineEdit(this), "txtRigctld");
    txtRigctld->setPlaceholderText(tr("off (e.g. 127.0.0.1:4532)"));
    spnPoll = named(new QSpinBox(this), "spnPoll");
    spnPoll->setRange(50, 60000);
    spnPoll->setSuffix(tr(" ms"));
    spnAmpctldPort = named(new QSpinBox(this), "spnAmpctldPort");
    spnAmpctldPort->setRange(0, 65535);
    spnAmpctldPort->setSpecialValueText(tr("off"));
    txtBind = named(new QLineEdit(this), "txtBind");
    lstFollow = named(new QListWidget(this), "lstFollow");
    lblStatus = named(new QLabel(this), "lblStatus");
    lblStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblError = named(new QLabel(this), "lblError");
    lblError->setWordWrap(true);
    btnApply = named(new QPushButton(tr("&Apply"), this), "btnApply");
    btnClose = named(new QPushButton(tr("Close"), this), "btnClose");

    auto* form = new QFormLayout;
    form->addRow(tr("rigctld address:"), txtRigctld);
    form->addRow(tr("Poll every:"), spnPoll);
    form->addRow(tr("Follow the radio:"), lstFollow);
    form->addRow(tr("ampctld port (first amplifier):"), spnAmpctldPort);
    form->addRow(tr("Listen on (no password: keep it 127.0.0.1):"), txtBind);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnApply);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lblStatus);
    layout->addWidget(lblError);
    layout->addLayout(buttons);

    connect(btnApply, &QPushButton::clicked, this, &frmStationLinks::btnApply_Click);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::hide);
    // Only while shown: a hidden dialog costs nothing.
    mStatusTimer.setInterval(1000);
    connect(&mStatusTimer, &QTimer::timeout, this, &frmStationLinks::showStatus);
}

frmStationLinks::Choices frmStationLinks::choices() const {
    Choices c;
    c.rigctld = txtRigctld->text().trimmed();
    c.pollMs = spnPoll->value();
    c.ampctldPort = spnAmpctldPort->value();
    c.bind = txtBind->text().trimmed();
    c.amplifiers = mAmplifiers;
    for (int i = 0; i < lstFollow->count(); ++i)
        c.follow << (lstFollow->item(i)->checkState() == Qt::Checked);
    return c;
}

void frmStationLinks::fill() {
    if (!mHooks.current)
        return;
    const Choices c = mHooks.current();
    txtRigctld->setText(c.rigctld);
    spnPoll->setValue(c.pollMs);
    spnAmpctldPort->setValue(c.ampctldPort);
    txtBind->setText(c.bind);
    mAmplifiers = c.amplifiers;
    lstFollow->clear();
    for (qsizetype i = 0; i < c.amplifiers.size(); ++i) {
        auto* item = new QListWidgetItem(c.amplifiers[i], lstFollow);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(c.follow.value(i, true) ? Qt::Checked : Qt::Unchecked);
    }
}

void frmStationLinks::btnApply_Click() {
    lblError->setText(mHooks.apply ? mHooks.apply(choices()) : QString());
    showStatus();
}

void frmStationLinks::showStatus() {
    lblStatus->setText(mHooks.status ? mHooks.status() : QString());
}

void frmStationLinks::showEvent(QShowEvent* event) {
    fill();
    lblError->clear();
    showStatus();
    mStatusTimer.start();
    QDialog::showEvent(event);
}

void frmStationLinks::hideEvent(QHideEvent* event) {
    mStatusTimer.stop();
    QDialog::hideEvent(event);
}

} // namespace tarvex
