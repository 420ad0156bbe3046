// A C library file that closes itself, for the files the host reads whole.
#pragma once

#include <cstdio>
#include <memory>

namespace standin {

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};

using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

} // namespace standin
