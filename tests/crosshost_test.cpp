// The promise the project makes: the same material gives the same highlight in
// both hosts. Both deliverables are loaded through their stand-ins as their
// hosts load them and shade the same geometry: one light, one sample, the
// light's specular flag on, everything but the highlight black. The two
// highlights must agree bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <maya/MFloatVector.h>
#include <mayahost/node.h>
#include <mayahost/plugin_loader.h>

#include "mrhost/declaration.h"
#include "mrhost/parameter_record.h"
#include "mrhost/sample.h"
#include "mrhost/scene.h"
#include "mrhost/shader_library.h"
#include "support/highlight_bits.h"

namespace {

struct Case {
    miVector rayDirection;  // along the incoming ray
    miVector normal;        // unit and axis-aligned: the renderer side renormalises it
    miVector toLight;
    miColor lightColor;
    miColor specularColor;
    float roughness;
    float sharpness;
};

miVector unit(float x, float y, float z)
{
    const float length = std::sqrt(x * x + y * y + z * z);
    return {x / length, y / length, z / length};
}

// Views and lights spread over the hemisphere, through every part of the band.
std::vector<Case> cases()
{
    const miVector normals[] = {{0.0f, 0.0f, 1.0f}, {0.0f, 1.0f, 0.0f}, {-1.0f, 0.0f, 0.0f}};
    const float roughnesses[] = {0.05f, 0.3f, 1.0f, 2.5f};
    const float sharpnesses[] = {-1.0f, 0.0f, 0.2f, 0.5f, 0.9f, 1.0f, 1.5f};
    std::vector<Case> all;
    int i = 0;
    for (const miVector& n : normals) {
        for (const float roughness : roughnesses) {
            for (const float sharpness : sharpnesses) {
                for (int k = 0; k < 6; ++k, ++i) {
                    const float a = 0.41f * static_cast<float>(i);
                    const float b = 0.23f * static_cast<float>(k);
                    // Directions in the frame of the normal: t1, t2 tangent, n up.
                    const miVector t1{n.y, n.z, n.x};
                    const miVector t2{n.z, n.x, n.y};
                    auto frame = [&](float s, float t, float up) {
                        return unit(s * t1.x + t * t2.x + up * n.x, s * t1.y + t * t2.y + up * n.y,
                                    s * t1.z + t * t2.z + up * n.z);
                    };
                    const miVector view = frame(0.3f * std::cos(a), 0.3f * std::sin(a), 1.0f);
                    Case c;
                    c.rayDirection = {-view.x, -view.y, -view.z};
                    c.normal = n;
                    c.toLight = frame(0.2f * std::cos(b) - 0.1f, 0.25f * std::sin(b + a), k == 5 ? -0.2f : 1.0f);
                    c.lightColor = {1.0f, 0.8f + 0.01f * static_cast<float>(k), 0.5f, 1.0f};
                    c.specularColor = {0.5f, 0.7f, 0.9f, 1.0f};
                    c.roughness = roughness;
                    c.sharpness = sharpness;
                    all.push_back(c);
                }
            }
        }
    }
    return all;
}

MFloatVector toMaya(const miVector& v) { return {v.x, v.y, v.z}; }

// The glossy node in the Maya stand-in, everything black but the highlight.
class MayaSide {
public:
    MayaSide()
    {
        std::string error;
        plugin_ = mayahost::LoadedPlugin::load(GLOSSY_MODULE_PATH, &error);
        if (!plugin_) {
            ADD_FAILURE() << error;
            return;
        }
        node_ = mayahost::Node::create("glossy");
        if (!node_) {
            ADD_FAILURE() << "no glossy node";
            return;
        }
        node_->setFloat3("color", {0.5f, 0.5f, 0.5f});
        node_->setFloat3("transparency", {0.0f, 0.0f, 0.0f});
        node_->setFloat3("ambientColor", {0.0f, 0.0f, 0.0f});
        node_->setFloat3("incandescence", {0.0f, 0.0f, 0.0f});
        node_->setFloat("diffuse", 0.0f);
        node_->setFloat("translucence", 0.0f);
        node_->setFloat("reflectivity", 0.0f);
        context_ = std::make_unique<mayahost::EvaluationContext>(*node_, 1);
    }
    ~MayaSide()
    {
        context_.reset();
        node_.reset();
        if (plugin_) {
            plugin_->unload();
        }
    }
    bool ready() const { return context_ != nullptr; }

    MFloatVector shade(const Case& c)
    {
        context_->setFloat3(node_->attribute("specularColor"),
                            {c.specularColor.r, c.specularColor.g, c.specularColor.b});
        context_->setFloat(node_->attribute("roughness"), c.roughness);
        context_->setFloat(node_->attribute("sharpness"), c.sharpness);
        context_->setPointCamera({0.0f, 0.0f, -5.0f});
        context_->setNormalCamera(toMaya(c.normal));
        context_->setRayDirection(toMaya(c.rayDirection));
        context_->setRayDepth(0);
        mayahost::LightSample light;
        light.direction = toMaya(c.toLight);
        light.intensity = {c.lightColor.r, c.lightColor.g, c.lightColor.b};
        light.ambient = false;
        light.diffuse = false;
        light.specular = true;
        context_->setLights(&light, 1);
        MFloatVector color;
        EXPECT_TRUE(context_->outColor(color));
        return color;
    }

private:
    std::unique_ptr<mayahost::LoadedPlugin> plugin_;
    std::unique_ptr<mayahost::Node> node_;
    std::unique_ptr<mayahost::EvaluationContext> context_;
};

// kova_glossy in the renderer stand-in, everything black but the highlight.
class MentalRaySide {
public:
    MentalRaySide()
        : declaration_(mrhost::readDeclaration(KOVA_GLOSSY_DECLARATION, "kova_glossy")),
          library_(KOVA_GLOSSY_MODULE_PATH, declaration_),
          record_(declaration_),
          context_(scene_)
    {
        record_.setColor("color", {0.5f, 0.5f, 0.5f, 1.0f});
        record_.setColor("ambientColor", {0.0f, 0.0f, 0.0f, 1.0f});
        record_.setColor("incandescence", {0.0f, 0.0f, 0.0f, 1.0f});
        record_.setScalar("diffuse", 0.0f);
        record_.setScalar("reflectivity", 0.0f);
        record_.setScalar("specularWeight", 1.0f);
        record_.setBoolean("useIrradiance", false);
    }

    miColor shade(const Case& c)
    {
        const miTag light = scene_.addScriptedLight(&c.toLight, &c.lightColor, 1);
        record_.setArray("light", &light, 1);
        record_.setColor("specularColor", c.specularColor);
        record_.setScalar("roughness", c.roughness);
        record_.setScalar("sharpness", c.sharpness);
        mrhost::SampleGeometry geometry;
        geometry.point = {0.0f, 0.0f, -5.0f};
        geometry.direction = c.rayDirection;
        geometry.normal = c.normal;
        miColor color{0.0f, 0.0f, 0.0f, 0.0f};
        context_.shade(library_.shader(), record_, geometry, color);
        return color;
    }

private:
    mrhost::ShaderDeclaration declaration_;
    mrhost::ShaderLibrary library_;
    mrhost::Scene scene_;
    mrhost::ParameterRecord record_;
    mrhost::SampleContext context_;
};

TEST(CrossHost, BothDeliverablesShadeTheSameHighlightBitForBit)
{
    MayaSide maya;
    ASSERT_TRUE(maya.ready());
    MentalRaySide renderer;
    int lit = 0;
    const std::vector<Case> all = cases();
    for (std::size_t i = 0; i < all.size(); ++i) {
        const MFloatVector m = maya.shade(all[i]);
        const miColor r = renderer.shade(all[i]);
        const float mayaRgb[3] = {m.x, m.y, m.z};
        const float rendererRgb[3] = {r.r, r.g, r.b};
        EXPECT_EQ(std::memcmp(mayaRgb, rendererRgb, sizeof mayaRgb), 0)
            << "case " << i << std::hexfloat << ": Maya (" << m.x << ", " << m.y << ", " << m.z << "), renderer ("
            << r.r << ", " << r.g << ", " << r.b << ")";
        lit += m.x > 0.0f ? 1 : 0;
    }
    // The comparison means something only if many cases have a highlight.
    EXPECT_GT(lit, static_cast<int>(all.size()) / 4);
    EXPECT_LT(lit, static_cast<int>(all.size()));
}

// The same bits on every build: each deliverable gives the tabled highlight.
TEST(CrossHost, BothDeliverablesGiveTheTabledBits)
{
    MayaSide maya;
    ASSERT_TRUE(maya.ready());
    MentalRaySide renderer;
    int row = 0;
    for (const highlightbits::Row& r : highlightbits::kRows) {
        auto triple = [](const float* v) { return miVector{v[0], v[1], v[2]}; };
        auto color = [](const float* v) { return miColor{v[0], v[1], v[2], 1.0f}; };
        const Case c{triple(r.rayDirection), triple(r.normal), triple(r.toLight), color(r.lightColor),
                     color(r.specularColor), r.roughness,      r.sharpness};
        const MFloatVector m = maya.shade(c);
        const miColor g = renderer.shade(c);
        const float got[2][3] = {{m.x, m.y, m.z}, {g.r, g.g, g.b}};
        for (const float* rgb : got) {
            EXPECT_EQ(std::memcmp(rgb, r.expected, sizeof r.expected), 0)
                << "row " << row << (rgb == got[0] ? " Maya" : " renderer") << std::hexfloat << ": (" << rgb[0] << ", "
                << rgb[1] << ", " << rgb[2] << "), expected (" << r.expected[0] << ", " << r.expected[1] << ", "
                << r.expected[2] << ")";
        }
        ++row;
    }
}

}  // namespace
