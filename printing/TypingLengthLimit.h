// TTypingLengthLimit: the length limit of an edit box that applies to typing
// only, as a native edit box's limit does. Typing (or pasting) cannot make the
// text longer than the limit, but a longer text the program puts in the box
// with Show is shown whole and may be shortened; it cannot be lengthened
// again. QLineEdit's own maxLength cuts every text it is given, stored ones
// included, so it cannot be used for values read from the settings.
#pragma once

#include <QValidator>

class QLineEdit;

class TTypingLengthLimit : public QValidator {
    Q_OBJECT

public:
    TTypingLengthLimit(int limit, QLineEdit* edit);

    // Puts text in the box whole, whatever its length.
    void Show(const QString& text);

    State validate(QString& input, int& pos) const override;

private:
    QLineEdit* Edit;
    int Limit;
    // The longest text the box may hold now: the limit, or the length of a
    // longer text it was given, shrinking as that text is shortened.
    mutable int Allowed;
};
