#include "platform/gui/QtModalRunner.h"

#include <QDialog>

int TQtModalRunner::Exec(QDialog& dialog)
{
    return dialog.exec();
}
