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

// Far above the largest scenario the host writes (a million vessels take about 72 MB); the
// limit keeps an endless file such as /dev/zero from filling the memory.
constexpr long long maxFileSize = 1024LL * 1024 * 1024;

// Editors on Windows start a UTF-8 file with a byte-order mark, which is no text of the file.
constexpr char byteOrderMark[] = "\xef\xbb\xbf";

} // namespace

bool ReadTextFile(const std::string &path, TextFile &file, std::string &error,
                  const ReadProgress &progress) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = path + ": is a folder, not a file";
        return false;
    }
    int failure = 0;
    const int fd = OpenForReading(path, failure);
    if (fd < 0) {
        error = path + ": cannot open: " +
                (failure == EINTR ? std::string("interrupted while waiting for a writer")
                                  : SystemErrorText(failure));
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
    if (!ec && size > static_cast<std::uintmax_t>(maxFileSize)) {
        error = path + ": larger than " + std::to_string(maxFileSize) + " bytes";
        return false;
    }
    if (!ec) {
        content.reserve(static_cast<std::size_t>(size));
    }
    char chunk[65536];
    long count = 0;
    while ((count = ReadSome(fd, chunk, sizeof chunk, failure)) > 0) {
        const auto got = static_cast<std::size_t>(count);
        if (content.size() + got > static_cast<std::size_t>(maxFileSize)) {
            error = path + ": larger than " + std::to_string(maxFileSize) + " bytes";
            return false;
        }
        content.append(chunk, got);
        if (progress && !ec && size > 0) {
            progress(static_cast<double>(content.size()) / static_cast<double>(size));
        }
    }
    if (count < 0) {
        error = path + ": cannot read: " +
                (failure == EINTR ? std::string("interrupted while waiting for its writer")
                                  : SystemErrorText(failure));
        return false;
    }
    if (content.rfind(byteOrderMark, 0) == 0) {
        content.erase(0, sizeof byteOrderMark - 1);
    }

    // UTF-16, as some Windows editors save, is named: its NUL bytes would say only "not text".
    const std::size_t nul = content.find('\0');
    if (nul != std::string::npos &&
        (content.rfind("\xff\xfe", 0) == 0 || content.rfind("\xfe\xff", 0) == 0)) {
        error = path + ": is UTF-16 text; save it as UTF-8 (or ASCII)";
        return false;
    }
    if (nul != std::string::npos && nul < 2 && content.size() >= 4 && content[nul + 2] == '\0') {
        error = path + ": holds a NUL byte in every other place, as UTF-16 text does; save it as "
                       "UTF-8 (or ASCII)";
        return false;
    }
    if (nul != std::string::npos) {
        // The line that holds the byte is the first to end beyond it.
        TextLines lines(content);
        std::string_view line;
        while (lines.Next(line) && line.data() + line.size() <= content.data() + nul) {
        }
        error = path + ":" + std::to_string(lines.Number()) + ": holds a NUL byte; not a text file";
        return false;
    }
    file.name = path;
    file.text = std::move(content);
    return true;
}

} // namespace standin
