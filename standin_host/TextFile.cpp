#include "TextFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace standin {
namespace {

// Class configurations and scenarios are small; anything larger is not one of them.
constexpr long maxFileSize = 64L * 1024 * 1024;

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
    std::size_t start = 0;
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

bool WriteFileAtomically(const std::string &path, const std::string &content, std::string &error) {
    const std::string temporary = path + ".partial";
    {
        FilePointer out(std::fopen(temporary.c_str(), "wb"));
        if (!out) {
            error = path + ": cannot write: " + Reason();
            return false;
        }
        const bool written =
            std::fwrite(content.data(), 1, content.size(), out.get()) == content.size() &&
            std::fflush(out.get()) == 0;
        const std::string reason = Reason();
        if (std::fclose(out.release()) != 0 || !written) {
            error = path + ": cannot write: " + reason;
            std::remove(temporary.c_str());
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        error = path + ": cannot replace: " + ec.message();
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace standin
