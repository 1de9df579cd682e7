#include "frm_about.h"

#include "twips.h"

#include <tarvex/version.h>

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace tarvex {

namespace {

// Placement of the elements, in twips.
constexpr QSize kInnerArea(5565, 2115);
constexpr QRect kIcon(240, 180, 540, 540);
constexpr QRect kTitle(1050, 120, 4275, 390);
constexpr QRect kVersion(1050, 510, 4275, 255);
constexpr QRect kDescription(1050, 780, 4275, 450);
constexpr int kRuleTop = 1290;
constexpr int kRuleInset = 90;
constexpr QRect kDisclaimer(240, 1410, 3810, 570);
constexpr QRect kOK(4185, 1560, 1140, 375);

// The program has no icon file: a small bar gauge stands for it.
QPixmap programIcon(int side) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 48, 64));
    p.drawRoundedRect(QRectF(0, 0, side, side), side / 6.0, side / 6.0);
    const QColor bars[] = {QColor(0, 170, 0), QColor(0, 170, 0), QColor(0, 170, 0),
                           QColor(230, 200, 0), QColor(210, 0, 0)};
    const double slot = side / 6.0;
    for (int i = 0; i < 5; ++i) {
        const double barHeight = side * (0.25 + 0.12 * i);
        p.setBrush(bars[i]);
        p.drawRect(QRectF(slot * (i + 0.6), side * 0.88 - barHeight, slot * 0.7, barHeight));
    }
    return pixmap;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QRect& twips) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(Twips::toPixels(twips, parent));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

QFrame* makeRuleLine(QWidget* parent, const QColor& colour, int topTwips) {
    auto* line = new QFrame(parent);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::NoFrame);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    const int left = Twips::toPixelsX(kRuleInset, parent);
    const int right = Twips::toPixelsX(kInnerArea.width() - kRuleInset, parent);
    line->setGeometry(left, Twips::toPixelsY(topTwips, parent), right - left, 1);
    return line;
}

} // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(tr("About Tarvex"));
    setFixedSize(Twips::toPixels(kInnerArea, this));

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setGeometry(Twips::toPixels(kIcon, this));
    picIcon->setPixmap(programIcon(std::min(picIcon->width(), picIcon->height())));

    lblTitle = makeLabel(this, "lblTitle", tr("Tarvex System"), kTitle);
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblVersion = makeLabel(this, "lblVersion", tr("Version 1.1"), kVersion);
    lblDescription = makeLabel(this, "lblDescription",
                               tr("Shows and operates Ferro linear amplifiers over serial ports."),
                               kDescription);

    // An etched rule: a grey line with a white one just below it.
    Line1[0] = makeRuleLine(this, QColor(128, 128, 128), kRuleTop);
    Line1[1] = makeRuleLine(this, Qt::white, kRuleTop);
    Line1[1]->move(Line1[1]->x(), Line1[0]->y() + 1);

    lblDisclaimer = makeLabel(
        this, "lblDisclaimer",
        tr("Always check the amplifier's own indications before transmitting."), kDisclaimer);
    QFont smallFont = lblDisclaimer->font();
    smallFont.setPointSizeF(smallFont.pointSizeF() * 0.85);
    lblDisclaimer->setFont(smallFont);

    cmdOK = new QPushButton(tr("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(Twips::toPixels(kOK, this));
    cmdOK->setDefault(true);
    // Escape already rejects a QDialog; both end in hiding the box, which keeps it for reuse.
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    Form_Load();
}

QString frmAbout::versionText() {
    return QStringLiteral("Version %1.%2.%3")
        .arg(version::kMajor)
        .arg(version::kMinor)
        .arg(version::kRevision);
}

void frmAbout::Form_Load() {
    lblVersion->setText(versionText());
    lblTitle->setText(QString::fromLatin1(version::kTitle));
}

} // namespace tarvex
