#include "platform/gui/WindowFonts.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>

namespace WindowFonts {

QStringList Folders()
{
    return {QStringLiteral("/usr/share/wine/fonts")};
}

QStringList Register(const QStringList& folders)
{
    // Not tahomabd.ttf: its character map is empty in fonts-wine, so bold text
    // would fall back to another face. Bold is drawn from the regular face.
    const QString tahoma = QStringLiteral("Tahoma");
    // The families themselves, not hasFamily(), which also counts a family
    // fontconfig would only substitute (and asks fontconfig each time).
    const QStringList known = QFontDatabase::families();
    QStringList registered;
    // A system that has the face (the real one, say) keeps it.
    if (!known.contains(tahoma, Qt::CaseInsensitive)) {
        for (const QString& folder : folders) {
            const QString file = QDir(folder).filePath(QStringLiteral("tahoma.ttf"));
            if (!QFileInfo(file).isFile())
                continue;
            if (QFontDatabase::addApplicationFont(file) >= 0)
                registered << tahoma;
            break;
        }
    }
    // MS Sans Serif is a bitmap face in fonts-wine as on Windows: a few screen
    // pixel sizes, no outlines. Printed at a printer's resolution it would come
    // out a few pixels high and a PDF could not embed it, so, as Windows does
    // for its printers, the print font takes a scalable face of the same
    // family of designs instead: Tahoma.
    const QString msSansSerif = QStringLiteral("MS Sans Serif");
    const bool scalableMsSansSerif =
        known.contains(msSansSerif, Qt::CaseInsensitive) && QFontDatabase::isScalable(msSansSerif);
    if (!scalableMsSansSerif && (registered.contains(tahoma) || known.contains(tahoma, Qt::CaseInsensitive)))
        QFont::insertSubstitution(msSansSerif, tahoma);
    return registered;
}

} // namespace WindowFonts
