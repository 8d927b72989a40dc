// kova_glossy as a loaded module: what it exports and links against, its
// version, and how it reports renderer functions it cannot bind through the
// system's own symbol lookup.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <elf.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "support/mrshader_fixture.h"

namespace {

// The defined global symbols and the needed libraries of a 64-bit ELF
// shared object, read from its dynamic symbol table and dynamic section.
struct DynamicTable {
    std::set<std::string> exports;
    std::vector<std::string> needed;
};

DynamicTable readDynamicTable(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    DynamicTable table;
    if (bytes.size() < sizeof(Elf64_Ehdr) || bytes[EI_CLASS] != ELFCLASS64) {
        ADD_FAILURE() << path << " is not a 64-bit ELF file";
        return table;
    }
    Elf64_Ehdr header;
    std::memcpy(&header, bytes.data(), sizeof header);
    std::vector<Elf64_Shdr> sections(header.e_shnum);
    std::memcpy(sections.data(), bytes.data() + header.e_shoff, header.e_shnum * sizeof(Elf64_Shdr));
    for (const Elf64_Shdr& section : sections) {
        const char* strings = bytes.data() + sections[section.sh_link].sh_offset;
        if (section.sh_type == SHT_DYNSYM) {
            for (std::size_t i = 1; i < section.sh_size / sizeof(Elf64_Sym); ++i) {
                Elf64_Sym symbol;
                std::memcpy(&symbol, bytes.data() + section.sh_offset + i * sizeof symbol, sizeof symbol);
                const int binding = ELF64_ST_BIND(symbol.st_info);
                if (symbol.st_shndx != SHN_UNDEF && (binding == STB_GLOBAL || binding == STB_WEAK)) {
                    table.exports.insert(strings + symbol.st_name);
                }
            }
        } else if (section.sh_type == SHT_DYNAMIC) {
            for (std::size_t i = 0; i < section.sh_size / sizeof(Elf64_Dyn); ++i) {
                Elf64_Dyn entry;
                std::memcpy(&entry, bytes.data() + section.sh_offset + i * sizeof entry, sizeof entry);
                if (entry.d_tag == DT_NEEDED) {
                    table.needed.push_back(strings + entry.d_un.d_val);
                }
            }
        }
    }
    return table;
}

// Also when built with DLLEXPORT empty: the library's own marking exports them.
TEST(KovaGlossyModule, ExportsExactlyItsThreeEntryPointsAndNeedsNoRenderer)
{
    for (const char* path : {KOVA_GLOSSY_MODULE_PATH, KOVA_GLOSSY_EMPTY_HOST_MACROS_MODULE_PATH}) {
        const DynamicTable table = readDynamicTable(path);
        EXPECT_EQ(table.exports, (std::set<std::string>{"kova_glossy", "kova_glossy_version", "miSetModuleHandle"}))
            << path;
        for (const std::string& library : table.needed) {
            EXPECT_EQ(library.find("mentalray"), std::string::npos) << library;
        }
    }
}

TEST(KovaGlossyModule, VersionIsOneEvenBeforeAHandleIsSet)
{
    void* module = dlopen(KOVA_GLOSSY_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    const auto version = reinterpret_cast<int (*)()>(dlsym(module, "kova_glossy_version"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version(), 1);
    EXPECT_EQ(version(), 1);
    dlclose(module);
}

// A sample that needs exactly one renderer function: the colour is
// connected, nothing else is used.
struct OneCallSample : testsupport::KovaGlossyHost {
    OneCallSample()
    {
        mrhost::connect(record, "color",
                        mrhost::addChecker(scene, {0.25f, 0.25f, 0.25f, 1.0f}, {0.25f, 0.25f, 0.25f, 1.0f}, 1.0f));
        record.setColor("ambientColor", {1.0f, 1.0f, 1.0f, 1.0f});
        setHandle = reinterpret_cast<void (*)(void*)>(library().symbol("miSetModuleHandle"));
    }
    void (*setHandle)(void*) = nullptr;
};

// Without a handle the renderer's functions are found in the program's
// global scope, where the renderer library this program links sits.
TEST(KovaGlossyModule, NullHandleBindsTheProgramsFunctionsWithoutALine)
{
    OneCallSample sample;
    sample.setHandle(nullptr);
    testing::internal::CaptureStderr();
    const miColor got = sample.shade();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    // The connection was evaluated: the checker's colour, not the stored one.
    EXPECT_EQ(got.r, 0.25f);
    EXPECT_EQ(got.b, 0.25f);
}

TEST(KovaGlossyModule, NameMissingFromTheModuleIsReportedEveryCallUntilRebound)
{
    OneCallSample sample;
    void* other = dlopen("libm.so.6", RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(other, nullptr);
    sample.setHandle(other);
    char expected[200];
    std::snprintf(expected, sizeof expected, "dlsym failed on \"mi_phen_eval\" (handle: %08" PRIxPTR " error: 127)\n",
                  reinterpret_cast<std::uintptr_t>(other));

    testing::internal::CaptureStderr();
    sample.shade();
    sample.shade();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string(expected) + expected);

    // Given the renderer's handle again, the connection is evaluated.
    sample.setHandle(mrhost::coreModuleHandle());
    testing::internal::CaptureStderr();
    const miColor got = sample.shade();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(got.r, 0.25f);
    dlclose(other);
}

}  // namespace
