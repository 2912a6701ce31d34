// The eleven toolbar and menu images, drawn as 16 x 16 XPM files and compiled
// into the program as resources under ":/icons/".
#include "app/ToolBarImages.h"

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
    // Loaded on every call rather than cached in a static: a pixmap must not
    // outlive the application object, and the images are only asked for while
    // the windows are built.
    const QPixmap image(QStringLiteral(":/icons/%1.xpm").arg(QLatin1String(ImageNames[index])));
    if (image.isNull())
        return QIcon();
    return QIcon(image);
}
