// Scratch folder, raw file access, finding reports and the catch of the documented
// errors for the fuzz harnesses (see FuzzSupport.h).
#include "fuzzing/FuzzSupport.h"

#include "engine/EDatabaseError.h"
#include "engine/EORBLError.h"
#include "platform/EConvertError.h"
#include "platform/EInOutError.h"
#include "settings/EInvalidParam.h"
#include "settings/EKELTError.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

namespace FuzzSupport {

namespace {

// Held through a pointer that is never freed: the folder must still be known to
// the exit handler after static objects have gone.
const std::string* Folder = nullptr;

void RemoveScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(*Folder, ignored);
}

std::string MakeScratchFolder()
{
    std::string base = "/dev/shm";
    if (access(base.c_str(), W_OK | X_OK) != 0) {
        std::error_code error;
        base = std::filesystem::temp_directory_path(error).string();
        if (error)
            base = "/tmp";
    }
    // The process ID in the name lets ./fuzz tidy up after processes that died.
    std::string pattern = base + "/volumnia-fuzz-" + std::to_string(getpid()) + "-XXXXXX";
    if (!mkdtemp(pattern.data()))
        Fail("cannot make a scratch folder under " + base + ": " + std::strerror(errno));
    Folder = new std::string(pattern);
    std::atexit(RemoveScratchFolder);
    return pattern;
}

} // namespace

const std::string& ScratchFolder()
{
    static const std::string folder = MakeScratchFolder();
    return folder;
}

void WriteBytes(const std::string& path, std::string_view bytes)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        Fail("cannot write " + path + ": " + std::strerror(errno));
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            Fail("cannot write " + path + ": " + std::strerror(errno));
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    if (close(fd) != 0)
        Fail("cannot write " + path + ": " + std::strerror(errno));
}

std::string ReadBytes(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        Fail("cannot read " + path + ": " + std::strerror(errno));
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            Fail("cannot read " + path + ": " + std::strerror(errno));
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    return bytes;
}

void Fail(const std::string& what)
{
    std::fprintf(stderr, "\n==== Volumnia fuzz finding: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

std::string Shown(std::string_view text)
{
    constexpr size_t Limit = 160;
    static const char Hex[] = "0123456789ABCDEF";
    std::string shown = "\"";
    for (size_t i = 0; i < text.size() && i < Limit; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
            shown.push_back(static_cast<char>(c));
        } else {
            shown += "\\x";
            shown.push_back(Hex[c >> 4]);
            shown.push_back(Hex[c & 15]);
        }
    }
    shown += "\"";
    if (text.size() > Limit)
        shown += "... (" + std::to_string(text.size()) + " bytes)";
    return shown;
}

std::string Mismatch(std::string_view got, std::string_view want)
{
    size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at])
        ++at;
    const size_t from = at > 16 ? at - 16 : 0;
    return "got " + Shown(got.substr(from)) + ", expected " + Shown(want.substr(from)) + " (lengths " +
           std::to_string(got.size()) + " and " + std::to_string(want.size()) + ", first difference at byte " +
           std::to_string(at) + (from > 0 ? ", shown from byte " + std::to_string(from) : std::string()) + ")";
}

std::optional<TRefusal> DocumentedRefusal(const std::function<void()>& load)
{
    try {
        load();
        return std::nullopt;
    } catch (const EDatabaseError& e) {
        return TRefusal{"EDatabaseError", e.Message};
    } catch (const EORBLError& e) {
        return TRefusal{"EORBLError", e.Message};
    } catch (const EInvalidParam& e) {
        return TRefusal{"EInvalidParam", e.Message};
    } catch (const EKELTError& e) {
        return TRefusal{"EKELTError", e.Message};
    } catch (const EConvertError& e) {
        return TRefusal{"EConvertError", e.Message};
    } catch (const EInOutError& e) {
        return TRefusal{"EInOutError", e.Message};
    }
}

} // namespace FuzzSupport
