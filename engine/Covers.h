// Covers: a book's picture is the detail "cover", whose value names a JPEG
// file in the covers folder beside the database ("<database>.covers"). The
// value travels with the book's other details, so a change, its undo, the
// history, Restore and Bring back carry the cover with no code of their own,
// and the details file's two-file rule keeps a kill from leaving a book with
// another book's cover.
//
// A cover file is never written over: its name is made of the book's ID and
// the CRC-32 of its bytes, and a name once made holds those bytes for good.
// Nor is one removed: the history and the undo steps may name a file long
// after its book has let it go, and an undo must find it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Covers {

// "<database>.covers" beside the file a link at the database's name leads to.
std::string FolderOf(const std::string& database);
// Whether value is a name Store makes ("123-1a2b3c4d.jpg", or with "-2" and
// so on before ".jpg"): no path, no "..", nothing else.
bool IsCoverName(std::string_view value);
// The file of a "cover" value, empty when the value is not a name made by
// Store.
std::string PathOf(const std::string& database, const std::string& value);
// Writes JPEG bytes under a new name made of the book's ID and the bytes'
// CRC-32 through TTextFile's side-file writer, making the folder where it is
// missing, and returns the value for the detail "cover". A file already at
// that name with these bytes is kept as it is; one with other bytes is never
// written over (the next free "-2", "-3" ... name is taken). Raises
// EInOutError when the folder or the file cannot be written.
std::string Store(const std::string& database, int32_t id, const std::string& jpeg);

} // namespace Covers
