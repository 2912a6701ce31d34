// The font the print layer draws with: a face, a size in points and the style
// flags. Kept apart from QFont so that a print run can be recorded and compared
// in tests without a font database.
#pragma once

#include <QString>

struct TPrintFont {
    QString Face;
    int Size = 10; // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;

    bool operator==(const TPrintFont&) const = default;
};
