#include "frm_about.h"

#include "program_icon.h"
#include "twips.h"

#include <tarvex/version.h>

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace tarvex {

namespace {

// Placement of the elements, in twips. The data folder's two lines sit between the
// description and the rule, which moves down by their height.
constexpr int kFolderRows = 450;
constexpr QSize kInnerArea(5565, 2115 + kFolderRows);
constexpr QRect kIcon(240, 180, 540, 540);
constexpr QRect kTitle(1050, 120, 4275, 390);
constexpr QRect kVersion(1050, 510, 4275, 255);
constexpr QRect kDescription(1050, 780, 4275, 450);
constexpr QRect kDataFolder(1050, 1260, 4275, kFolderRows);
constexpr int kRuleTop = 1290 + kFolderRows;
constexpr int kRuleInset = 90;
constexpr QRect kDisclaimer(240, 1410 + kFolderRows, 3810, 570);
constexpr QRect kOK(4185, 1560 + kFolderRows, 1140, 375);

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
    const int side = std::min(picIcon->width(), picIcon->height());
    picIcon->setPixmap(programIcon().pixmap(QSize(side, side), devicePixelRatio()));

    lblTitle = makeLabel(this, "lblTitle", tr("Tarvex System"), kTitle);
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblVersion = makeLabel(this, "lblVersion", tr("Version 1.1"), kVersion);
    lblDescription = makeLabel(this, "lblDescription",
                               tr("Shows and operates Ferro linear amplifiers over serial ports."),
                               kDescription);
    lblDataFolder = makeLabel(this, "lblDataFolder", QString(), kDataFolder);
    lblDataFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);

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

void frmAbout::setDataFolder(const QString& path) {
    lblDataFolder->setText(tr("Amplifier list and history in:\n%1").arg(path));
}

void frmAbout::Form_Load() {
    lblVersion->setText(versionText());
    lblTitle->setText(QString::fromLatin1(version::kTitle));
}

} // namespace tarvex
