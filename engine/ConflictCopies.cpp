#include "engine/ConflictCopies.h"

#include "platform/Cp1252.h"
#include "platform/EInOutError.h"
#include "platform/TextFile.h"
#include "settings/RFileSystem.h"
#include "settings/SettingsMerge.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The side files whose copies a merge needs: the books' details and the
// history that tells what both sides last shared.
constexpr const char* SideSuffixes[] = {".details", ".history"};

QByteArray Native(const std::string& path)
{
    return QFile::encodeName(Cp1252::ToQString(path));
}

std::string Shown(const QByteArray& native)
{
    return Cp1252::FromQString(QFile::decodeName(native));
}

bool Digits(std::string_view text, size_t at, size_t count)
{
    if (at + count > text.size())
        return false;
    return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(at),
                       text.begin() + static_cast<std::ptrdiff_t>(at + count),
                       [](char c) { return c >= '0' && c <= '9'; });
}

int Number(std::string_view text, size_t at, size_t count)
{
    int value = 0;
    for (size_t i = at; i < at + count; ++i)
        value = value * 10 + (text[i] - '0');
    return value;
}

// "yyyyMMdd" of a real calendar day (to the month's length as far as 31).
bool Day(std::string_view year, std::string_view month, std::string_view day, std::string& when)
{
    const int m = Number(month, 0, 2), d = Number(day, 0, 2);
    if (Number(year, 0, 4) < 1970 || m < 1 || m > 12 || d < 1 || d > 31)
        return false;
    when = std::string(year) + std::string(month) + std::string(day);
    return true;
}

bool Clock(std::string_view hhmmss, std::string& when)
{
    if (Number(hhmmss, 0, 2) > 23 || Number(hhmmss, 2, 2) > 59 || Number(hhmmss, 4, 2) > 59)
        return false;
    when += hhmmss;
    return true;
}

// "yyyyMMdd-hhmmss" (Syncthing, Nextcloud's older clients).
bool CompactStamp(std::string_view text, std::string& when)
{
    return text.size() == 15 && Digits(text, 0, 8) && text[8] == '-' && Digits(text, 9, 6) &&
           Day(text.substr(0, 4), text.substr(4, 2), text.substr(6, 2), when) && Clock(text.substr(9, 6), when);
}

// "yyyy-MM-dd" (Dropbox, Nextcloud).
bool DashedDay(std::string_view text, std::string& when)
{
    return text.size() == 10 && Digits(text, 0, 4) && text[4] == '-' && Digits(text, 5, 2) && text[7] == '-' &&
           Digits(text, 8, 2) && Day(text.substr(0, 4), text.substr(5, 2), text.substr(8, 2), when);
}

bool StartsWith(std::string_view text, std::string_view start)
{
    return text.size() >= start.size() && text.compare(0, start.size(), start) == 0;
}

bool EndsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// What a tool put between the original's stem and its extension; empty when
// name is not stem + marker + extension.
std::string_view Marker(std::string_view name, std::string_view stem, std::string_view extension)
{
    if (name.size() <= stem.size() + extension.size() || !StartsWith(name, stem) || !EndsWith(name, extension))
        return {};
    return name.substr(stem.size(), name.size() - stem.size() - extension.size());
}

// The extension as each tool splits a name: Syncthing as Go's filepath.Ext
// (from the last dot, a leading dot too), Nextcloud and Dropbox from the last
// dot after the first character (".kelt" alone has none).
std::string_view LastExtension(std::string_view name, bool leadingDotCounts)
{
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || (dot == 0 && !leadingDotCounts))
        return {};
    return name.substr(dot);
}

struct TMatch {
    const char* Tool = nullptr;
    std::string When; // yyyyMMddhhmmss and, for Dropbox's numbered copies, the number
};

// ".sync-conflict-yyyyMMdd-hhmmss-XXXXXXX": the last part is the short ID of
// the device that made the losing change, seven base-32 letters (none for a
// change of a device that left no ID).
bool Syncthing(std::string_view marker, std::string& when)
{
    constexpr std::string_view Start = ".sync-conflict-";
    if (!StartsWith(marker, Start))
        return false;
    const std::string_view rest = marker.substr(Start.size());
    if (rest.size() < 16 || rest[15] != '-' || !CompactStamp(rest.substr(0, 15), when))
        return false;
    const std::string_view device = rest.substr(16);
    return (device.empty() || device.size() == 7) && std::all_of(device.begin(), device.end(), [](char c) {
               return (c >= 'A' && c <= 'Z') || (c >= '2' && c <= '7');
           });
}

// " (conflicted copy [user ]yyyy-MM-dd hhmmss)" or "_conflict-yyyyMMdd-hhmmss".
bool Nextcloud(std::string_view marker, std::string& when)
{
    constexpr std::string_view Older = "_conflict-";
    if (StartsWith(marker, Older))
        return CompactStamp(marker.substr(Older.size()), when);
    constexpr std::string_view Start = " (conflicted copy ";
    if (!StartsWith(marker, Start) || !EndsWith(marker, ")"))
        return false;
    const std::string_view inner = marker.substr(Start.size(), marker.size() - Start.size() - 1);
    if (inner.size() < 17)
        return false;
    const std::string_view stamp = inner.substr(inner.size() - 17);
    const std::string_view user = inner.substr(0, inner.size() - 17);
    // The client keeps parentheses out of the user's name, so that the marker's end is found.
    if (!user.empty() && (user.size() < 2 || user.back() != ' ' || user.find_first_of("()") != std::string_view::npos))
        return false;
    return stamp[10] == ' ' && Digits(stamp, 11, 6) && DashedDay(stamp.substr(0, 10), when) &&
           Clock(stamp.substr(11, 6), when);
}

// " (Anna's conflicted copy yyyy-MM-dd)", " (Anna's conflicted copy
// yyyy-MM-dd (1))" for a second one that day, or without the name.
bool Dropbox(std::string_view marker, std::string& when)
{
    if (!StartsWith(marker, " (") || !EndsWith(marker, ")"))
        return false;
    std::string_view inner = marker.substr(2, marker.size() - 3);
    constexpr std::string_view Words = "conflicted copy ";
    const size_t at = inner.find(Words);
    if (at == std::string_view::npos)
        return false;
    if (at > 0 && (at < 4 || inner.substr(at - 3, 3) != "'s "))
        return false;
    inner = inner.substr(at + Words.size());
    if (inner.size() < 10 || !DashedDay(inner.substr(0, 10), when))
        return false;
    when += "000000";
    const std::string_view number = inner.substr(10);
    if (number.empty())
        return true;
    if (number.size() < 4 || !StartsWith(number, " (") || !EndsWith(number, ")") ||
        !Digits(number, 2, number.size() - 3))
        return false;
    when +=
        std::string(8 - std::min<size_t>(8, number.size() - 3), '0') + std::string(number.substr(2, number.size() - 3));
    return true;
}

// Whether name is one of the tools' copies of original (both names in the
// folder's own bytes).
TMatch MatchCopy(std::string_view name, std::string_view original)
{
    TMatch match;
    {
        const std::string_view extension = LastExtension(original, true);
        const std::string_view stem = original.substr(0, original.size() - extension.size());
        if (Syncthing(Marker(name, stem, extension), match.When)) {
            match.Tool = "Syncthing";
            return match;
        }
    }
    const std::string_view extension = LastExtension(original, false);
    const std::string_view stem = original.substr(0, original.size() - extension.size());
    const std::string_view marker = Marker(name, stem, extension);
    match.When.clear();
    if (Nextcloud(marker, match.When)) {
        match.Tool = "Nextcloud";
        return match;
    }
    match.When.clear();
    if (Dropbox(marker, match.When)) {
        match.Tool = "Dropbox";
        return match;
    }
    return {};
}

QByteArray FolderOf(const QByteArray& native)
{
    const int slash = native.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : native.left(slash);
}

QByteArray BaseOf(const QByteArray& native)
{
    return native.mid(native.lastIndexOf('/') + 1);
}

// Makes room for a copy moved aside: the name itself or, taken, the first free
// "<name>.N". The rename never replaces what stands at the new name.
bool RenameWithoutReplacing(const QByteArray& from, const QByteArray& to)
{
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
    // A file system without the flag: a second name made (which fails where
    // one stands), then the first taken away.
    if (::link(from.constData(), to.constData()) != 0)
        return false;
    ::unlink(from.constData());
    return true;
}

void SyncFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::vector<TConflictCopy> FindConflictCopies(const std::string& path)
{
    if (path.empty())
        return {};
    // The file a link at path leads to: its copies and side files are beside it.
    const std::string resolved = TTextFile::SideFileName(path, "");
    const QByteArray native = Native(resolved);
    const QByteArray folder = FolderOf(native);
    const std::string prefix = native.contains('/') ? Shown(folder == "/" ? QByteArray() : folder) + "/" : "";

    struct TOriginal {
        QByteArray Name;
        std::string Path;
    };
    std::vector<TOriginal> originals{{BaseOf(native), path}};
    for (const char* suffix : SideSuffixes) {
        const std::string side = TTextFile::SideFileName(path, suffix);
        originals.push_back({BaseOf(Native(side)), side});
    }
    // Every copy's name begins with the stem of the shortest of them.
    const QByteArray stem =
        originals.front().Name.left(std::max(0, static_cast<int>(originals.front().Name.lastIndexOf('.'))));

    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return {};
    std::vector<std::pair<std::string, TConflictCopy>> found;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (!StartsWith(name, std::string_view(stem.constData(), static_cast<size_t>(stem.size()))))
            continue;
        for (const TOriginal& original : originals) {
            TMatch match =
                MatchCopy(name, std::string_view(original.Name.constData(), static_cast<size_t>(original.Name.size())));
            if (!match.Tool)
                continue;
            struct stat info = {};
            const bool regular =
                entry->d_type == DT_REG ||
                (entry->d_type == DT_UNKNOWN &&
                 ::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode));
            if (regular)
                found.push_back(
                    {match.When.append(22 - std::min<size_t>(22, match.When.size()), '0') + std::string(name),
                     {prefix + Shown(QByteArray(entry->d_name)), original.Path, match.Tool}});
            break;
        }
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<TConflictCopy> copies;
    copies.reserve(found.size());
    for (auto& [key, copy] : found)
        copies.push_back(std::move(copy));
    return copies;
}

void MoveAside(const TConflictCopy& copy)
{
    const QByteArray native = Native(copy.Path);
    const QByteArray aside = FolderOf(native) + "/" + MergedFolderName;
    if (::mkdir(aside.constData(), 0777) != 0 && errno != EEXIST)
        throw EInOutError(copy.Path + " could not be moved aside: " + EInOutError::FromErrno(errno).what());
    struct stat info = {};
    if (::lstat(aside.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        throw EInOutError(copy.Path + " could not be moved aside: " + Shown(aside) + " is no folder");
    const QByteArray target = aside + "/" + BaseOf(native);
    for (int number = 1; number < 1000; ++number) {
        const QByteArray name = number == 1 ? target : target + "." + QByteArray::number(number);
        if (RenameWithoutReplacing(native, name)) {
            SyncFolder(aside);
            SyncFolder(FolderOf(native));
            return;
        }
        if (errno != EEXIST)
            throw EInOutError(copy.Path + " could not be moved aside: " + EInOutError::FromErrno(errno).what());
    }
    throw EInOutError(copy.Path + " could not be moved aside: " + Shown(aside) + " holds too many copies of that name");
}

std::vector<TConflictCopy> MergeSettingsCopies(TRFileSystem& settings)
{
    std::vector<TConflictCopy> merged;
    for (const TConflictCopy& copy : FindConflictCopies(settings.FileName())) {
        if (copy.Original != settings.FileName())
            continue;
        try {
            SettingsMerge::Merge(settings, copy.Path);
            MoveAside(copy);
            merged.push_back(copy);
        } catch (const std::exception&) {
            // Left where it is, for the next start or the user.
        }
    }
    return merged;
}
