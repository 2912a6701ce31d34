// launcher-message TEXT: shows the launcher's error in a small window. From
// the menu, volumnia-start has no terminal, and an error on its standard
// error would reach nobody; it runs this program with the message instead.
// Qt Widgets only: it needs no catalogue and reads no file.
#include "desktop/DesktopIntegration.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Volumnia"));
    TDesktopIntegration::Apply();
    const QString text = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("Volumnia could not start.");
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Volumnia"), text, QMessageBox::Ok);
    box.exec();
    return 0;
}
