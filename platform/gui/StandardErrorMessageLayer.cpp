#include "platform/gui/StandardErrorMessageLayer.h"

#include <cstdio>

namespace {

void Print(const QString& text)
{
    std::fprintf(stderr, "Volumnia: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace

void TStandardErrorMessageLayer::Information(const QString& text)
{
    Print(text);
}

void TStandardErrorMessageLayer::Error(const QString& text)
{
    Print(text);
}

bool TStandardErrorMessageLayer::Question(const QString& text)
{
    Print(text);
    return false;
}
