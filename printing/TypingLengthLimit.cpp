#include "printing/TypingLengthLimit.h"

#include <QLineEdit>

#include <algorithm>

TTypingLengthLimit::TTypingLengthLimit(int limit, QLineEdit* edit)
    : QValidator(edit), Edit(edit), Limit(limit), Allowed(limit)
{
    edit->setValidator(this);
}

void TTypingLengthLimit::Show(const QString& text)
{
    Allowed = std::max<int>(Limit, static_cast<int>(text.size()));
    Edit->setText(text);
}

QValidator::State TTypingLengthLimit::validate(QString& input, int&) const
{
    // The box checks every change, its own text included; a refused change
    // is undone by the box, so the text never outgrows what is allowed.
    const int length = static_cast<int>(input.size());
    if (length > std::max(Limit, Allowed))
        return Invalid;
    Allowed = std::max(Limit, length);
    return Acceptable;
}
