#include "standin_host/scenario/TextFile.h"
#include "standin_host/platform/FileCalls.h"

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

namespace standin {
namespace {

// Editors on Windows start a UTF-8 file with a byte-order mark, which is no text of the file.
constexpr char byteOrderMark[] = "\xef\xbb\xbf";

// Why `content`, whose bytes from `checked` on are new, is no text: a NUL byte, named as UTF-16
// where the file starts as that does. Empty while it may be text.
std::string NoText(const std::string &content, std::size_t checked) {
    const std::size_t nul = content.find('\0', checked);
    if (nul == std::string::npos) {
        return {};
    }
    // UTF-16, as some Windows editors save, is named: its NUL bytes would say only "not text".
    if (content.rfind("\xff\xfe", 0) == 0 || content.rfind("\xfe\xff", 0) == 0) {
        return ": is UTF-16 text; save it as UTF-8 (or ASCII)";
    }
    // Without a mark: ASCII letters in UTF-16, a NUL beside each; a file of NULs is no such text.
    if (nul < 2 && content.size() >= 4 && content[1 - nul] != '\0' && content[nul + 2] == '\0') {
        return ": holds a NUL byte in every other place, as UTF-16 text does; save it as UTF-8 (or "
               "ASCII)";
    }
    // The line that holds the byte is the first to end beyond it.
    TextLines lines(content);
    std::string_view line;
    while (lines.Next(line) && line.data() + line.size() <= content.data() + nul) {
    }
    return ":" + std::to_string(lines.Number()) + ": holds a NUL byte; not a text file";
}

std::string LargerThan(std::size_t most) {
    return ": larger than " + std::to_string(most) + " bytes";
}

// Why a call failed; EINTR is the signal that stopped a wait for the other end of a FIFO.
std::string Failure(int failure, const char *interrupted) {
    return failure == EINTR ? std::string("interrupted while waiting for ") + interrupted
                            : SystemErrorText(failure);
}

} // namespace

bool ReadTextFile(const std::string &path, TextFile &file, std::string &error,
                  const ReadProgress &progress, std::size_t most) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = path + ": is a folder, not a file";
        return false;
    }
    int failure = 0;
    const int fd = OpenForReading(path, failure);
    if (fd < 0) {
        error = path + ": cannot open: " + Failure(failure, "a writer");
        return false;
    }
    struct Closer {
        int fd;
        ~Closer() { CloseFile(fd); }
    } const closer{fd};
    std::string content;
    // A regular file's size is known: the text is read into storage of that size, not into one
    // grown by doubling, which would at times need three times the file.
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size > most) {
        error = path + LargerThan(most);
        return false;
    }
    if (!ec) {
        content.reserve(static_cast<std::size_t>(size));
    }
    // Each block is looked at as it comes: a file of NULs is refused at its first.
    char chunk[65536];
    long count = 0;
    while ((count = ReadSome(fd, chunk, sizeof chunk, failure)) > 0) {
        const auto got = static_cast<std::size_t>(count);
        if (content.size() + got > most) {
            error = path + LargerThan(most);
            return false;
        }
        content.append(chunk, got);
        const std::string why = NoText(content, content.size() - got);
        if (!why.empty()) {
            error = path + why;
            return false;
        }
        if (progress && !ec && size > 0) {
            progress(static_cast<double>(content.size()) / static_cast<double>(size));
        }
    }
    if (count < 0) {
        error = path + ": cannot read: " + Failure(failure, "its writer");
        return false;
    }
    if (content.rfind(byteOrderMark, 0) == 0) {
        content.erase(0, sizeof byteOrderMark - 1);
    }
    file.name = path;
    file.text = std::move(content);
    return true;
}

} // namespace standin
