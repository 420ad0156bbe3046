#include "standin_host/modules/ModuleFormat.h"
#include "standin_host/platform/FilePointer.h"

#include <cstdint>
#include <cstdio>
#include <memory>

namespace standin {
namespace {

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

} // namespace

std::string ForeignModuleReason(const std::string &path) {
    FilePointer in(std::fopen(path.c_str(), "rb"));
    unsigned char header[512] = {};
    const std::size_t got = in ? std::fread(header, 1, sizeof header, in.get()) : 0;
    const auto word = [&](std::size_t at, bool bigEndian) -> unsigned {
        return bigEndian ? (header[at] << 8 | header[at + 1]) : (header[at] | header[at + 1] << 8);
    };

    if (got >= 20 && header[0] == 0x7f && header[1] == 'E' && header[2] == 'L' &&
        header[3] == 'F') {
        const unsigned machine = word(18, header[5] == 2);
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
    if (got >= 64 && header[0] == 'M' && header[1] == 'Z') {
        const std::uint32_t offset = header[0x3c] | header[0x3d] << 8 | header[0x3e] << 16 |
                                     static_cast<std::uint32_t>(header[0x3f]) << 24;
        if (offset + 6 > got || header[offset] != 'P' || header[offset + 1] != 'E') {
            return std::string("a DOS or Windows program, not a module for ") + ownSystem;
        }
        const unsigned machine = word(offset + 4, false);
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

} // namespace standin
