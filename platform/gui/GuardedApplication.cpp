#include "platform/gui/GuardedApplication.h"

#include "platform/gui/ErrorHandler.h"

bool TGuardedApplication::notify(QObject* receiver, QEvent* event)
{
    bool result = false;
    TErrorHandler::Guard([&] { result = QApplication::notify(receiver, event); });
    return result;
}
