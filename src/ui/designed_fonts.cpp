#include "designed_fonts.h"

#include <QStringList>

namespace tarvex {

QFont designedFont(const QString& face, double points, bool bold) {
    // Liberation Sans (fonts-liberation2) has Arial's widths, which come closest to both designed
    // faces at the panels' pixel sizes: digits 6 px wide at 8.25 pt like the dialog face, 5 px at
    // 6.75 pt like the small face. DejaVu only serves where Liberation is missing: it is wider
    // and clips the longer messages.
    QStringList families;
    if (face == QLatin1String(kDesignedSansFace))
        families = {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
    else if (face == QLatin1String(kDesignedSmallFace))
        families = {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans Condensed")};
    else
        families = {face};
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace tarvex
