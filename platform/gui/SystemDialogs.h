// The system's common dialogs: file open and save, folder, print, printer
// set-up and font.
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
    // A file to write, new or to be replaced (the dialog asks before that);
    // suggested: the name offered first.
    virtual bool SaveFile(QWidget* parent, const QString& filter, const QString& suggested, QString& chosenPath) = 0;
    // A folder to write into (the dialog lets the user make one).
    virtual bool Folder(QWidget* parent, const QString& caption, QString& chosenPath) = 0;
    virtual bool Print(QWidget* parent, QPrinter& printer) = 0;
    virtual bool PrinterSetup(QWidget* parent, QPrinter& printer) = 0;
    // Sizes offered are limited to minSize..maxSize points.
    virtual bool Font(QWidget* parent, QFont& font, int minSize, int maxSize) = 0;
};
