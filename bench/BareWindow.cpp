// The yardstick for Volumnia's start-up: a Qt main window holding one label,
// nothing else. bench/startup times both to their first mapped window.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.setCentralWidget(new QLabel(QStringLiteral("Bare window"), &window));
    window.show();
    return QApplication::exec();
}
