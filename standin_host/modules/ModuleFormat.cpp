#include "standin_host/modules/ModuleFormat.h"

#include <cstdint>
#include <fstream>

namespace standin {
namespace {

// Little-endian reads that yield 0 past the end of the image, so that a cut or forged header
// leads nowhere instead of out of the buffer.
std::uint32_t Read(const std::string &image, std::uint64_t at, int bytes) {
    std::uint32_t value = 0;
    if (at + bytes > image.size()) {
        return 0;
    }
    for (int i = bytes - 1; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(image[at + i]);
    }
    return value;
}

// The file offset of a relative virtual address, through the section that holds it; 0 if none.
std::uint64_t FileOffset(const std::string &image, std::uint64_t sections, unsigned count,
                         std::uint32_t rva) {
    for (unsigned i = 0; i < count; ++i) {
        const std::uint64_t section = sections + std::uint64_t{40} * i;
        const std::uint32_t address = Read(image, section + 12, 4);
        const std::uint32_t size = Read(image, section + 16, 4);
        if (rva >= address && rva - address < size) {
            return Read(image, section + 20, 4) + std::uint64_t{rva - address};
        }
    }
    return 0;
}

struct Machine {
    unsigned elf;
    unsigned pe;
    const char *name;
};

constexpr Machine machines[] = {
    {3, 0x14c, "i386 (32-bit x86)"},       {62, 0x8664, "x86-64"}, {40, 0x1c4, "32-bit ARM"},
    {183, 0xaa64, "64-bit ARM (AArch64)"}, {8, 0x166, "MIPS"},     {21, 0, "64-bit PowerPC"},
    {243, 0x5064, "64-bit RISC-V"},
};

#if defined(__x86_64__) || defined(_M_X64)
constexpr unsigned ownElfMachine = 62;
#elif defined(__i386__) || defined(_M_IX86)
constexpr unsigned ownElfMachine = 3;
#elif defined(__aarch64__) || defined(_M_ARM64)
constexpr unsigned ownElfMachine = 183;
#elif defined(__arm__) || defined(_M_ARM)
constexpr unsigned ownElfMachine = 40;
#else
constexpr unsigned ownElfMachine = 0; // not told apart
#endif

#if defined(_WIN32)
constexpr const char *ownSystem = "Windows";
#elif defined(__APPLE__)
constexpr const char *ownSystem = "macOS";
#else
constexpr const char *ownSystem = "Linux";
#endif

const Machine *FindMachine(unsigned elf, unsigned pe) {
    for (const Machine &machine : machines) {
        if ((elf != 0 && machine.elf == elf) || (pe != 0 && machine.pe == pe)) {
            return &machine;
        }
    }
    return nullptr;
}

std::string MachineName(unsigned elf, unsigned pe) {
    const Machine *machine = FindMachine(elf, pe);
    return machine != nullptr ? machine->name : "another machine";
}

std::string OwnMachine() {
    const char *bits = sizeof(void *) == 8 ? "64-bit" : "32-bit";
    const Machine *machine = FindMachine(ownElfMachine, 0);
    return machine != nullptr ? machine->name : bits;
}

// The first `most` bytes of the file at `path`, or fewer: as many as it has, none when it cannot
// be read.
std::string FileStart(const std::string &path, std::size_t most) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(most, '\0');
    in.read(&bytes[0], static_cast<std::streamsize>(most));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

} // namespace

std::string ForeignModuleReason(const std::string &path) {
    const std::string header = FileStart(path, 512);

    if (header.size() >= 20 && header.compare(0, 4,
                                              "\x7f"
                                              "ELF") == 0) {
        const unsigned machine =
            header[5] == 2 ? Read(header, 18, 1) << 8 | Read(header, 19, 1) : Read(header, 18, 2);
        const char *bits = header[4] == 1 ? "32-bit" : "64-bit";
        if (std::string("Linux") != ownSystem) {
            return std::string("a ") + bits + " library for Linux or another Unix (" +
                   MachineName(machine, 0) + "), not a module for " + ownSystem;
        }
        const bool ownBits = (header[4] == 2) == (sizeof(void *) == 8);
        if ((ownElfMachine != 0 && machine != ownElfMachine) || !ownBits) {
            return std::string("built for ") + bits + " " + MachineName(machine, 0) +
                   "; this host runs on " + OwnMachine();
        }
        return {};
    }
    if (header.size() >= 64 && header.compare(0, 2, "MZ") == 0) {
        const std::uint64_t offset = Read(header, 0x3c, 4);
        if (offset + 6 > header.size() || Read(header, offset, 2) != 0x4550) { // "PE"
            return std::string("a DOS or Windows program, not a module for ") + ownSystem;
        }
        const unsigned machine = Read(header, offset + 4, 2);
        if (std::string("Windows") != ownSystem) {
            return "a Windows DLL for " + MachineName(0, machine) + ", not a module for " +
                   ownSystem;
        }
        const Machine *own = FindMachine(ownElfMachine, 0);
        if (own != nullptr && machine != own->pe) {
            return "built for " + MachineName(0, machine) + "; this host runs on " + OwnMachine();
        }
    }
    return {};
}

std::vector<std::string> PeImportedFiles(const std::string &image) {
    std::vector<std::string> files;
    const std::uint32_t pe = Read(image, 0x3c, 4);
    if (image.compare(0, 2, "MZ") != 0 || Read(image, pe, 4) != 0x4550) { // "PE\0\0"
        return files;
    }
    const unsigned sectionCount = Read(image, pe + 6, 2);
    const std::uint64_t optional = pe + 24;
    const std::uint64_t sections = optional + Read(image, pe + 20, 2);
    const std::uint32_t magic = Read(image, optional, 2);
    if (magic != 0x10b && magic != 0x20b) { // PE32, PE32+
        return files;
    }
    const std::uint64_t directories = optional + (magic == 0x10b ? 92 : 108);
    if (Read(image, directories, 4) < 2) { // the import table is the second directory
        return files;
    }
    const std::uint32_t importRva = Read(image, directories + 4 + 8, 4);
    std::uint64_t descriptor = importRva ? FileOffset(image, sections, sectionCount, importRva) : 0;
    // Descriptors of 20 bytes up to one of zeros; a table that never ends stops with the file.
    for (; descriptor != 0 && descriptor + 20 <= image.size(); descriptor += 20) {
        const std::uint32_t nameRva = Read(image, descriptor + 12, 4);
        if (nameRva == 0) {
            break;
        }
        const std::uint64_t name = FileOffset(image, sections, sectionCount, nameRva);
        const std::size_t end = name != 0 ? image.find('\0', name) : std::string::npos;
        if (end == std::string::npos || end - name > 255) {
            break;
        }
        files.push_back(image.substr(name, end - name));
    }
    return files;
}

} // namespace standin
