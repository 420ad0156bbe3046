// The import table of a Windows module, read from its bytes on any platform: the files a module
// imports from, which the host names when Windows cannot load it; and nothing, never a read out of
// the buffer, from an image that is cut or forged.
#include "standin_host/modules/ModuleFormat.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

void Put(std::string &image, std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        image[at + i] = static_cast<char>(value >> (8 * i) & 0xff);
    }
}

// A PE image as a linker lays it out: DOS header, "PE\0\0" at 0x80, COFF and optional header, one
// section at RVA 0x1000 from file offset 0x200 that holds the import descriptors and the names.
std::string Image(bool pe32Plus, const std::vector<std::string> &names) {
    std::string image(0x400, '\0');
    image[0] = 'M';
    image[1] = 'Z';
    Put(image, 0x3c, 0x80, 4);
    image.replace(0x80, 4, std::string("PE\0\0", 4));
    const std::size_t optional = 0x80 + 24, optionalSize = pe32Plus ? 240 : 224;
    Put(image, 0x80 + 4, pe32Plus ? 0x8664 : 0x14c, 2);
    Put(image, 0x80 + 6, 1, 2); // one section
    Put(image, 0x80 + 20, optionalSize, 2);
    Put(image, optional, pe32Plus ? 0x20b : 0x10b, 2);
    const std::size_t directories = optional + (pe32Plus ? 108 : 92);
    Put(image, directories, 16, 4);
    Put(image, directories + 4 + 8, 0x1000, 4); // the import table at the section's start
    const std::size_t section = optional + optionalSize;
    Put(image, section + 12, 0x1000, 4);
    Put(image, section + 16, 0x200, 4);
    Put(image, section + 20, 0x200, 4);
    std::size_t name = 0x200 + 20 * (names.size() + 1);
    for (std::size_t i = 0; i < names.size(); ++i) {
        Put(image, 0x200 + 20 * i + 12, static_cast<std::uint32_t>(0x1000 + name - 0x200), 4);
        image.replace(name, names[i].size() + 1, names[i] + '\0');
        name += names[i].size() + 1;
    }
    return image;
}

TEST(PeImportedFiles, ReadsTheNamesOfBothImageKinds) {
    const std::vector<std::string> names = {"KERNEL32.dll", "libstdc++-6.dll", "standin-host.exe"};
    EXPECT_EQ(standin::PeImportedFiles(Image(true, names)), names);
    EXPECT_EQ(standin::PeImportedFiles(Image(false, names)), names);
    EXPECT_TRUE(standin::PeImportedFiles(Image(true, {})).empty());
}

TEST(PeImportedFiles, FindsNothingInImagesThatAreCutOrForged) {
    const std::string whole = Image(true, {"libgcc_s_seh-1.dll"});
    struct Case {
        const char *what;
        std::string image;
    };
    std::vector<Case> cases = {
        {"an ELF file", std::string(1, 0x7f) + "ELF" + whole.substr(4)},
        {"cut inside the headers", whole.substr(0, 0x100)},
        {"cut inside the import table", whole.substr(0, 0x208)},
        {"cut inside the name", whole.substr(0, 0x200 + 40 + 5)},
    };
    std::string farHeader = whole;
    Put(farHeader, 0x3c, 0xfffffff0u, 4);
    cases.push_back({"a PE header beyond the file", farHeader});
    std::string unknownMagic = whole;
    Put(unknownMagic, 0x80 + 24, 0x107, 2);
    cases.push_back({"an optional header of no known kind", unknownMagic});
    std::string outsideSections = whole;
    Put(outsideSections, 0x80 + 24 + 108 + 12, 0x9000, 4);
    cases.push_back({"an import table in no section", outsideSections});
    std::string sectionBeyond = whole;
    Put(sectionBeyond, 0x80 + 24 + 240 + 20, 0xffffff00u, 4);
    cases.push_back({"a section whose bytes lie beyond the file", sectionBeyond});
    for (const Case &c : cases) {
        EXPECT_TRUE(standin::PeImportedFiles(c.image).empty()) << c.what;
    }
}

// The header of a module that would not load is read from its first bytes: a PE header that the
// DOS header places beyond them, even at an offset that wraps around 32 bits, is no PE header.
TEST(ForeignModuleReason, TakesAPeHeaderBeyondTheFileForNone) {
    const std::string whole = Image(true, {"KERNEL32.dll"});
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "brevlet-foreign-module.dll";
    const auto reason = [&](const std::string &image) {
        std::ofstream(path, std::ios::binary) << image;
        return standin::ForeignModuleReason(path.string());
    };
    const std::string dos = "a DOS or Windows program, not a module for ";
    for (const std::uint32_t offset : {0xfffffff0u, 0xfffffffcu, 0x1fcu}) {
        std::string image = whole;
        Put(image, 0x3c, offset, 4);
        EXPECT_EQ(reason(image).rfind(dos, 0), 0u) << std::hex << offset;
    }
    EXPECT_NE(reason(whole).rfind(dos, 0), 0u);
    std::filesystem::remove(path);
}

} // namespace
