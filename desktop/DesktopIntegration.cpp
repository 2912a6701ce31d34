#include "desktop/DesktopIntegration.h"

#include <QDir>
#include <QGuiApplication>

QIcon TDesktopIntegration::Icon()
{
    QIcon icon;
    const QDir sizes(QStringLiteral(":/desktop"));
    for (const QString& name : sizes.entryList(QDir::Files))
        icon.addFile(sizes.filePath(name));
    return icon;
}

void TDesktopIntegration::Apply()
{
    QGuiApplication::setWindowIcon(Icon());
    QGuiApplication::setDesktopFileName(QStringLiteral(VOLUMNIA_APP_ID));
}
