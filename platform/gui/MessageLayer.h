// The program's message boxes, behind one small interface so that tests can
// script the answers and read what was shown. Every box carries the
// application's title ("Volumnia" for the main program).
#pragma once

#include <QString>

class IMessageLayer {
public:
    virtual ~IMessageLayer() = default;
    // OK button, no icon.
    virtual void Information(const QString& text) = 0;
    // OK button, error icon; the text is shown as given.
    virtual void Error(const QString& text) = 0;
    // Yes and No buttons, no icon; true only for Yes.
    virtual bool Question(const QString& text) = 0;
};
