// The faces Volumnia is laid out for: its windows use Tahoma 8 pt and
// printing starts with MS Sans Serif. Where the system's fontconfig knows no
// Tahoma, Debian's fonts-wine package ships a free one with the same metrics;
// registering it with Qt at start makes the windows look as designed. The
// print font resolves to a scalable face (Tahoma) where the system has no
// scalable MS Sans Serif.
#pragma once

#include <QStringList>

namespace WindowFonts {

// The folders searched for the font files, in order.
QStringList Folders();

// Registers Tahoma from the first folder that holds it when the font
// database lacks it, and gives MS Sans Serif its scalable substitute.
// Returns the faces registered.
QStringList Register(const QStringList& folders = Folders());

} // namespace WindowFonts
