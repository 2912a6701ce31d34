// The common dialogs as Qt provides them.
#pragma once

#include "platform/gui/SystemDialogs.h"

class TQtSystemDialogs : public ISystemDialogs {
public:
    bool OpenFile(QWidget* parent, const QString& filter, QString& chosenPath) override;
    bool SaveFile(QWidget* parent, const QString& filter, const QString& suggested, QString& chosenPath) override;
    bool Folder(QWidget* parent, const QString& caption, QString& chosenPath) override;
    bool Print(QWidget* parent, QPrinter& printer) override;
    bool PrinterSetup(QWidget* parent, QPrinter& printer) override;
    bool Font(QWidget* parent, QFont& font, int minSize, int maxSize) override;
};
