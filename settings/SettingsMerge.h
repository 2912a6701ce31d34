// Two versions of the settings file made one, key by key: this computer's
// store and a copy of the file that another computer changed meanwhile (a
// sync tool's conflict copy). The settings file keeps no history, so there is
// no common version to tell which side changed a key; the rules are:
// - CurrentIndex, the counter of book numbers: the larger, so that no number
//   either side gave out is given again;
// - a window's place (two capitals, "_X" or "_Y": MF_X, LV_Y...): this
//   computer's, whose screens it fits; one only the other computer stored is
//   not taken (the window opens centred, as before it was first moved);
// - any other key both hold: this computer's value, the one its user has
//   been working with; a key only the copy holds is added with its kind.
// Nothing this computer holds is removed. All of it in one save.
#pragma once

#include <string>
#include <vector>

class TRFileSystem;

namespace SettingsMerge {

// Whether the key is a window's stored place.
bool IsWindowPlace(const std::string& name);
// Merges the settings file at theirs into ours in one save (none when nothing
// changes); the names of the keys changed or added. Raises what reading the
// copy or the save raises, and then ours is unchanged on disk.
std::vector<std::string> Merge(TRFileSystem& ours, const std::string& theirs);

} // namespace SettingsMerge
