// The eleven toolbar and menu images, drawn as 16 x 16 XPM files and compiled
// into the program as resources under ":/icons/".
#include "widgets/ToolBarImages.h"

#include "widgets/LazyIconEngine.h"

#include <QFile>
#include <QPixmap>
#include <QString>

namespace {

// In the order of TToolBarImages::Index; the file of image i is ":/icons/<name>.xpm".
constexpr const char* ImageNames[TToolBarImages::Count] = {
    "browser", "add", "edit", "remove", "loan", "return", "print", "search", "refresh", "help", "exit",
};

bool IsImage(TToolBarImages::Index index)
{
    return index >= 0 && index < TToolBarImages::Count;
}

} // namespace

const char* TToolBarImages::Name(Index index)
{
    // Callers build strings from the name, so an index outside the list gets
    // an empty name rather than a null pointer.
    return IsImage(index) ? ImageNames[index] : "";
}

QIcon TToolBarImages::Icon(Index index)
{
    if (!IsImage(index))
        return QIcon();
    const QString file = QStringLiteral(":/icons/%1.xpm").arg(QLatin1String(ImageNames[index]));
    if (!QFile::exists(file))
        return QIcon();
    // Parsed when first drawn, not while the windows are built: the menus'
    // images stay unseen until a menu opens. Each icon reads its own copy
    // rather than one cached in a static, as a pixmap must not outlive the
    // application object.
    return TLazyIconEngine::Icon([file] { return QIcon(QPixmap(file)); });
}
