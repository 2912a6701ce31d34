// The faces Volumnia is laid out for: its windows use Tahoma 8 pt and
// printing starts with MS Sans Serif. Where the system's fontconfig knows
// neither, Debian's fonts-wine package ships free versions with the same
// metrics; registering them with Qt at start makes the windows look as
// designed and the print font exist.
#pragma once

#include <QStringList>

namespace WindowFonts {

// The folders searched for the font files, in order.
QStringList Folders();

// Registers, for each of the two faces the font database lacks, its files
// from the first folder that holds them. Returns the faces registered.
QStringList Register(const QStringList& folders = Folders());

} // namespace WindowFonts
