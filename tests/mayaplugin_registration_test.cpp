// Loading the glossy module as Maya does: what it registers, the refresh
// command it runs, what it exports, and how refused registrations and
// deregistrations are reported rather than passed off as success.
#include <elf.h>
#include <gtest/gtest.h>
#include <maya/MString.h>
#include <mayahost/command_log.h>
#include <mayahost/node.h>
#include <mayahost/plugin_loader.h>
#include <mayahost/registry.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>

#include "glossyNode.h"

namespace {

const std::string kRefresh =
    "if( `window -exists createRenderNodeWindow` )  {refreshCreateRenderNodeWindow(\"shader/surface\");}\n";

// Names of the symbols a shared object defines in its dynamic symbol table.
std::set<std::string> exportedSymbols(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::set<std::string> names;
    if (bytes.size() < sizeof(Elf64_Ehdr)) return names;
    Elf64_Ehdr header;
    std::memcpy(&header, bytes.data(), sizeof header);
    auto section = [&](std::size_t i) {
        Elf64_Shdr s;
        std::memcpy(&s, bytes.data() + header.e_shoff + i * header.e_shentsize, sizeof s);
        return s;
    };
    for (std::size_t i = 0; i < header.e_shnum; ++i) {
        const Elf64_Shdr symbols = section(i);
        if (symbols.sh_type != SHT_DYNSYM) continue;
        const Elf64_Shdr strings = section(symbols.sh_link);
        for (std::size_t j = 1; j < symbols.sh_size / sizeof(Elf64_Sym); ++j) {
            Elf64_Sym symbol;
            std::memcpy(&symbol, bytes.data() + symbols.sh_offset + j * sizeof symbol, sizeof symbol);
            if (symbol.st_shndx == SHN_UNDEF) continue;
            names.insert(bytes.data() + strings.sh_offset + symbol.st_name);
        }
    }
    return names;
}

using EntryPoint = MStatus (*)(MObject);

TEST(Loading, RegistersOneSurfaceMaterialAndRefreshesTheWindow)
{
    mayahost::clearCommandLog();
    std::string error;
    auto plugin = mayahost::LoadedPlugin::load(GLOSSY_MODULE_PATH, &error);
    ASSERT_TRUE(plugin) << error;
    EXPECT_EQ(plugin->apiVersion(), "200900");

    const auto types = mayahost::registeredNodeTypes();
    ASSERT_EQ(types.size(), 1u);
    const mayahost::NodeTypeInfo& type = *types[0];
    EXPECT_EQ(type.name, "glossy");
    EXPECT_EQ(type.id, 411681u);
    EXPECT_EQ(type.kind, MPxNode::kDependNode);
    EXPECT_EQ(type.classification, "shader/surface");
    EXPECT_EQ(type.version, "1.0");
    EXPECT_EQ(type.requiredApiVersion, "Any");
    EXPECT_FALSE(type.vendor.empty());

    auto log = mayahost::commandLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(kRefresh.size(), 98u);
    EXPECT_EQ(log[0].text, kRefresh);
    EXPECT_FALSE(log[0].displayEnabled);
    EXPECT_FALSE(log[0].undoEnabled);

    EXPECT_TRUE(plugin->unload());
    EXPECT_TRUE(mayahost::registeredNodeTypes().empty());
    log = mayahost::commandLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].text, kRefresh);
    EXPECT_FALSE(log[1].displayEnabled);
    EXPECT_FALSE(log[1].undoEnabled);
}

// Also when built with PLUGIN_EXPORT empty: the module's own marking exports
// the entry points, and the version record the host header defines.
TEST(Loading, ModuleExportsOnlyItsEntryPointsAndVersion)
{
    const std::set<std::string> expected = {"MApiVersion", "initializePlugin", "uninitializePlugin"};
    for (const char* path : {GLOSSY_MODULE_PATH, GLOSSY_EMPTY_HOST_MACROS_MODULE_PATH}) {
        EXPECT_EQ(exportedSymbols(path), expected) << path;
        std::string error;
        auto plugin = mayahost::LoadedPlugin::load(path, &error);
        ASSERT_TRUE(plugin) << path << ": " << error;
        EXPECT_EQ(plugin->apiVersion(), "200900") << path;
        EXPECT_TRUE(plugin->unload()) << path;
    }
}

TEST(Loading, ModuleWithoutEntryPointsIsRefusedAndLeftUnloaded)
{
    std::string error;
    testing::internal::CaptureStderr();
    auto plugin = mayahost::LoadedPlugin::load(MAYA_HOST_LIBRARY_PATH, &error);
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(plugin);
    EXPECT_NE(error.find("MApiVersion"), std::string::npos) << error;
    EXPECT_NE(report.find("was not loaded"), std::string::npos) << report;

    EXPECT_FALSE(mayahost::LoadedPlugin::load("/nonexistent/glossy.so", &error));
    EXPECT_FALSE(error.empty());
}

TEST(Loading, RefusedRegistrationFailsTheLoadButStillRefreshes)
{
    std::string error;
    auto rival = mayahost::LoadedPlugin::load(RIVAL_MODULE_PATH, &error);
    ASSERT_TRUE(rival) << error;
    mayahost::clearCommandLog();

    testing::internal::CaptureStderr();
    auto plugin = mayahost::LoadedPlugin::load(GLOSSY_MODULE_PATH, &error);
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(plugin);
    EXPECT_NE(report.find("registerNode: (kFailure)"), std::string::npos) << report;

    // The refresh still ran; the rival's type is the only one left.
    const auto log = mayahost::commandLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].text, kRefresh);
    const auto types = mayahost::registeredNodeTypes();
    ASSERT_EQ(types.size(), 1u);
    EXPECT_EQ(types[0]->pluginName, RIVAL_MODULE_PATH);
    EXPECT_TRUE(rival->unload());
}

TEST(Loading, SecondUnloadReportsTheRefusedDeregistration)
{
    std::string error;
    auto plugin = mayahost::LoadedPlugin::load(GLOSSY_MODULE_PATH, &error);
    ASSERT_TRUE(plugin) << error;
    auto uninitialize = reinterpret_cast<EntryPoint>(plugin->symbol("uninitializePlugin"));
    ASSERT_NE(uninitialize, nullptr);
    EXPECT_TRUE(uninitialize(plugin->pluginObject()));
    mayahost::clearCommandLog();

    testing::internal::CaptureStderr();
    const MStatus second = plugin->unload();
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_EQ(second, MStatus::kNotFound);
    EXPECT_NE(report.find("deregisterNode: (kNotFound)"), std::string::npos) << report;
    EXPECT_TRUE(plugin->isLoaded());
    const auto log = mayahost::commandLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].text, kRefresh);
}

TEST(Node, IsMultiProcessorSafeAndAddsNoData)
{
    static_assert(sizeof(glossy) == sizeof(MPxNode), "glossy keeps all its data in the data block");
    std::string error;
    auto plugin = mayahost::LoadedPlugin::load(GLOSSY_MODULE_PATH, &error);
    ASSERT_TRUE(plugin) << error;
    {
        auto node = mayahost::Node::create("glossy");
        ASSERT_TRUE(node);
        EXPECT_TRUE(node->isMPSafe());
        // A live node keeps its type, and so the module, in place.
        EXPECT_EQ(plugin->unload(), MStatus::kFailure);
    }
    EXPECT_TRUE(plugin->unload());
}

}  // namespace
