#include "platform/gui/QtShell.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

void TQtShell::Open(const QString& target)
{
    // A bare file name is looked up in the working folder, like a shell would.
    const QUrl url =
        QUrl(target).scheme().size() > 1 ? QUrl(target) : QUrl::fromLocalFile(QDir::current().absoluteFilePath(target));
    QDesktopServices::openUrl(url);
}
