// The system's common dialogs: file open, print, printer set-up and font.
// Each returns false when the user cancels.
#pragma once

#include <QString>

class QFont;
class QPrinter;
class QWidget;

class ISystemDialogs {
public:
    virtual ~ISystemDialogs() = default;
    // An existing file; filter in Qt's "Description (*.ext)" form.
    virtual bool OpenFile(QWidget* parent, const QString& filter, QString& chosenPath) = 0;
    virtual bool Print(QWidget* parent, QPrinter& printer) = 0;
    virtual bool PrinterSetup(QWidget* parent, QPrinter& printer) = 0;
    // Sizes offered are limited to minSize..maxSize points.
    virtual bool Font(QWidget* parent, QFont& font, int minSize, int maxSize) = 0;
};
