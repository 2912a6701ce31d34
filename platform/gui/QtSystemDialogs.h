// The common dialogs as Qt provides them.
#pragma once

#include "platform/gui/SystemDialogs.h"

class TQtSystemDialogs : public ISystemDialogs {
public:
    bool OpenFile(QWidget* parent, const QString& filter, QString& chosenPath) override;
    bool Print(QWidget* parent, QPrinter& printer) override;
    bool PrinterSetup(QWidget* parent, QPrinter& printer) override;
    bool Font(QWidget* parent, QFont& font, int minSize, int maxSize) override;
};
