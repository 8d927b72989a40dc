// glossy.mll under the Windows build of the Maya stand-in: loaded with
// LoadLibrary, its MApiVersion read and initializePlugin called, one sample
// shaded, unloaded again; and the handle its DLL entry point keeps.
#include <gtest/gtest.h>
#include <maya/MFloatVector.h>
#include <mayahost/node.h>
#include <mayahost/plugin_loader.h>
#include <mayahost/registry.h>
#include <windows.h>

#include <string>

namespace {

TEST(WindowsPlugin, LoadsRegistersShadesAndUnloads)
{
    std::string error;
    auto plugin = mayahost::LoadedPlugin::load(GLOSSY_MODULE_PATH, &error);
    ASSERT_TRUE(plugin) << error;
    EXPECT_EQ(plugin->apiVersion(), "200900");
    const mayahost::NodeTypeInfo* type = mayahost::findNodeType("glossy");
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->id, 411681u);
    EXPECT_EQ(type->classification, "shader/surface");

    {
        auto node = mayahost::Node::create("glossy");
        ASSERT_TRUE(node);
        // No light and no reflection: what is left is (1 - transparency) × incandescence.
        node->setFloat3("incandescence", {0.3f, 0.6f, 0.9f});
        node->setFloat3("transparency", {0.25f, 0.5f, 0.1f});
        node->setFloat("reflectivity", 0.0f);
        mayahost::EvaluationContext context(*node, 1);
        MFloatVector color;
        ASSERT_TRUE(context.outColor(color));
        EXPECT_EQ(color.x, 0x1.ccccce0p-3f);
        EXPECT_EQ(color.y, 0x1.3333340p-2f);
        EXPECT_EQ(color.z, 0x1.9eb8500p-1f);
    }

    EXPECT_TRUE(plugin->unload());
    EXPECT_EQ(mayahost::findNodeType("glossy"), nullptr);
}

TEST(WindowsPlugin, ModuleThatDoesNotLoadIsRefusedWithTheSystemsError)
{
    std::string error;
    EXPECT_FALSE(mayahost::LoadedPlugin::load("Z:/nonexistent/glossy.mll", &error));
    EXPECT_EQ(error.rfind("error 126", 0), 0u) << error;  // ERROR_MOD_NOT_FOUND
}

TEST(WindowsPlugin, DllEntryPointKeepsTheModuleHandle)
{
    HMODULE module = LoadLibraryA(INSTANCE_PROBE_PATH);
    ASSERT_NE(module, nullptr) << GetLastError();
    const auto* kept = reinterpret_cast<const HINSTANCE*>(GetProcAddress(module, "glossyModuleInstance"));
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(*kept, module);
    FreeLibrary(module);
}

}  // namespace
