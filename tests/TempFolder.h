// A fresh folder under the system's temporary folder for one test, removed with everything in it.
#pragma once

#include <filesystem>
#include <string>

namespace brevlet_test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    const std::filesystem::path &Path() const { return path; }
    std::string operator/(const std::string &name) const { return (path / name).string(); }

    // Writes `content` byte for byte as the file `name` (folders created) and returns its path.
    std::string Write(const std::string &name, const std::string &content) const;

private:
    std::filesystem::path path;
};

// The whole content of a file; empty when it cannot be read.
std::string ReadWhole(const std::string &path);

} // namespace brevlet_test
