#include "TextFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>

namespace standin {
namespace {

// Far above the largest scenario the host writes (a million vessels take about 72 MB); the
// limit keeps an endless file such as /dev/zero from filling the memory.
constexpr long long maxFileSize = 1024LL * 1024 * 1024;

// Editors on Windows start a UTF-8 file with a byte-order mark, which is no text of the file.
constexpr char byteOrderMark[] = "\xef\xbb\xbf";

struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

std::string Reason() {
    return std::strerror(errno);
}

} // namespace

bool ReadTextFile(const std::string &path, TextFile &file, std::string &error) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = path + ": is a folder, not a file";
        return false;
    }
    FilePointer in(std::fopen(path.c_str(), "rb"));
    if (!in) {
        error = path + ": cannot open: " + Reason();
        return false;
    }
    std::string content;
    char chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, in.get())) > 0) {
        if (content.size() + got > static_cast<std::size_t>(maxFileSize)) {
            error = path + ": larger than " + std::to_string(maxFileSize) + " bytes";
            return false;
        }
        content.append(chunk, got);
    }
    if (std::ferror(in.get())) {
        error = path + ": cannot read: " + Reason();
        return false;
    }

    file.name = path;
    file.lines.clear();
    std::size_t start = content.rfind(byteOrderMark, 0) == 0 ? sizeof byteOrderMark - 1 : 0;
    int number = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        const std::size_t next = end == std::string::npos ? content.size() : end + 1;
        if (end == std::string::npos) {
            end = content.size();
        }
        ++number;
        std::size_t length = end - start;
        // Every '\r' before the line end goes, so that "\r\r\n" (a file converted to CRLF twice)
        // reads as the same line that a saved scenario writes back.
        while (length > 0 && content[start + length - 1] == '\r') {
            --length;
        }
        std::string text = content.substr(start, length);
        if (text.find('\0') != std::string::npos) {
            error = path + ":" + std::to_string(number) + ": holds a NUL byte; not a text file";
            return false;
        }
        file.lines.push_back(SourceLine{std::move(text), number});
        start = next;
    }
    return true;
}

} // namespace standin
