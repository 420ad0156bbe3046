#include "tests/TempFolder.h"

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace brevlet_test {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    std::random_device random;
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = base / ("brevlet-test-" + std::to_string(random()));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) {
            path = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder in " + base.string());
}

TempFolder::~TempFolder() {
    std::error_code ec;
    // A test may have taken permissions away; give them back so that everything can go.
    for (auto it = fs::recursive_directory_iterator(path, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(path, ec);
}

std::string TempFolder::Write(const std::string &name, const std::string &content) const {
    const fs::path file = path / name;
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << content;
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + file.string());
    }
    return file.string();
}

std::string ReadWhole(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

} // namespace brevlet_test
