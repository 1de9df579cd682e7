#include "frm_manual.h"

#include <tarvex/version.h>

#include <QTextBrowser>
#include <QVBoxLayout>

namespace tarvex {

frmManual::frmManual(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmManual"));
    setWindowTitle(
        tr("%1 %2 Manual")
            .arg(QString::fromLatin1(version::kTitle), QString::fromLatin1(version::kFull)));
    txtManual = new QTextBrowser(this);
    txtManual->setObjectName(QStringLiteral("txtManual"));
    // Its links to the web open in the browser; its pictures load from beside it.
    txtManual->setOpenExternalLinks(true);
    txtManual->setSource(QUrl(QStringLiteral("qrc:/manual/README.md")),
                         QTextDocument::MarkdownResource);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(txtManual);
    resize(760, 640);
}

} // namespace tarvex
