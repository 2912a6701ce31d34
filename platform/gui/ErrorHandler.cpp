#include "platform/gui/ErrorHandler.h"

#include "platform/Cp1252.h"
#include "platform/gui/MessageLayer.h"
#include "platform/gui/Platform.h"

std::string TErrorHandler::DisplayText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

void TErrorHandler::Show(const std::exception& error)
{
    TPlatform::Messages().Error(Cp1252::ToQString(DisplayText(error.what())));
}

void TErrorHandler::ShowUnknown()
{
    TPlatform::Messages().Error(QStringLiteral("Unknown error."));
}
