#include "platform/gui/WindowFonts.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>

#include <algorithm>

namespace WindowFonts {

namespace {

struct TFace {
    const char* Family;
    QStringList Files; // a face is taken only when all its files are there
};

} // namespace

QStringList Folders()
{
    return {QStringLiteral("/usr/share/wine/fonts")};
}

QStringList Register(const QStringList& folders)
{
    const TFace faces[] = {
        // Not tahomabd.ttf: its character map is empty in fonts-wine, so bold
        // text would fall back to another face. Bold is drawn from the
        // regular face instead.
        {"Tahoma", {QStringLiteral("tahoma.ttf")}},
        {"MS Sans Serif", {QStringLiteral("ms_sans_serif.ttf")}},
    };
    // The families themselves, not hasFamily(), which also counts a family
    // fontconfig would only substitute (and asks fontconfig each time).
    const QStringList known = QFontDatabase::families();
    QStringList registered;
    for (const TFace& face : faces) {
        const QString family = QString::fromLatin1(face.Family);
        // A system that has the face (the real one, say) keeps it.
        if (known.contains(family, Qt::CaseInsensitive))
            continue;
        for (const QString& folder : folders) {
            const QDir dir(folder);
            const bool complete = std::all_of(face.Files.begin(), face.Files.end(), [&dir](const QString& file) {
                return QFileInfo(dir.filePath(file)).isFile();
            });
            if (!complete)
                continue;
            bool added = true;
            for (const QString& file : face.Files)
                added = QFontDatabase::addApplicationFont(dir.filePath(file)) >= 0 && added;
            if (added)
                registered << family;
            break;
        }
    }
    return registered;
}

} // namespace WindowFonts
