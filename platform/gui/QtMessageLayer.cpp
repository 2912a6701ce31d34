#include "platform/gui/QtMessageLayer.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QWidget* Owner()
{
    return QApplication::activeWindow();
}

QString Title()
{
    return QApplication::applicationDisplayName();
}

} // namespace

void TQtMessageLayer::Information(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, Title(), text, QMessageBox::Ok, Owner());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void TQtMessageLayer::Error(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, Title(), text, QMessageBox::Ok, Owner());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool TQtMessageLayer::Question(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, Title(), text, QMessageBox::Yes | QMessageBox::No, Owner());
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}
