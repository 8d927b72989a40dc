// Loads the built glossy module through the stand-in, as Maya's plug-in
// manager would, and gives a test a node and one evaluation context.
#pragma once

#include <gtest/gtest.h>
#include <maya/MString.h>
#include <mayahost/node.h>
#include <mayahost/plugin_loader.h>

#include <memory>
#include <string>

namespace testsupport {

class GlossyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        plugin = mayahost::LoadedPlugin::load(GLOSSY_MODULE_PATH, &error);
        ASSERT_TRUE(plugin) << error;
        MStatus status;
        node = mayahost::Node::create("glossy", &status);
        ASSERT_TRUE(node) << status.errorString().asChar();
        context = std::make_unique<mayahost::EvaluationContext>(*node, 8);
    }

    void TearDown() override
    {
        context.reset();
        node.reset();
        if (plugin) {
            EXPECT_TRUE(plugin->unload());
        }
        plugin.reset();
    }

    const mayahost::AttributeInfo* attribute(const char* longName) const
    {
        const mayahost::AttributeInfo* a = node->attribute(longName);
        EXPECT_NE(a, nullptr) << longName;
        return a;
    }

    std::unique_ptr<mayahost::LoadedPlugin> plugin;
    std::unique_ptr<mayahost::Node> node;
    std::unique_ptr<mayahost::EvaluationContext> context;
};

}  // namespace testsupport
