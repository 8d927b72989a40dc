// The highlight model, bit for bit. Expected values are worked out by hand
// (rounding to single precision after every operation), never by calling the
// code under test.
#include "highlight.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>

namespace {

using shading::Float3;
using shading::highlightBand;
using shading::highlightTerm;
using shading::smoothStep;

const Float3 kUp{0.0f, 0.0f, 1.0f};
const Float3 kWhite{1.0f, 1.0f, 1.0f};

// The worked example: light 36.87 degrees off the normal, viewer on the normal.
const Float3 kExampleLight{0.0f, 0.6f, 0.8f};

Float3 exampleTerm(float roughness, float sharpness, float weight = 1.0f, Float3 lightColor = kWhite,
                   Float3 specularColor = kWhite)
{
    return highlightTerm(kUp, kUp, kExampleLight, lightColor, specularColor, roughness, sharpness, weight);
}

void expectBits(const Float3& actual, float x, float y, float z)
{
    EXPECT_EQ(actual.x, x);
    EXPECT_EQ(actual.y, y);
    EXPECT_EQ(actual.z, z);
}

void expectBlack(const Float3& actual) { expectBits(actual, 0.0f, 0.0f, 0.0f); }

struct BandRow {
    float sharpness;
    float lower;
    float upper;
};

void PrintTo(const BandRow& row, std::ostream* os) { *os << "sharpness " << row.sharpness; }

class BandEdges : public ::testing::TestWithParam<BandRow> {};

TEST_P(BandEdges, MatchTheWorkedEdges)
{
    const BandRow row = GetParam();
    const shading::Band band = highlightBand(row.sharpness);
    EXPECT_EQ(band.lower, row.lower) << "sharpness " << row.sharpness;
    EXPECT_EQ(band.upper, row.upper) << "sharpness " << row.sharpness;
}

// 0.54..0.90, 0.63..0.81, 0.702..0.738, 0.7146..0.7254 (0.97 and every value
// from 1 up), 0.36..1.08.
INSTANTIATE_TEST_SUITE_P(
    HighlightBand, BandEdges,
    ::testing::Values(BandRow{0.0f, 0x1.147ae2p-1f, 0x1.cccccep-1f}, BandRow{0.5f, 0x1.428f5cp-1f, 0x1.9eb854p-1f},
                      BandRow{0.9f, 0x1.676c8cp-1f, 0x1.79db24p-1f}, BandRow{0.97f, 0x1.6de00ep-1f, 0x1.7367a2p-1f},
                      BandRow{1.0f, 0x1.6de00ep-1f, 0x1.7367a2p-1f}, BandRow{1.5f, 0x1.6de00ep-1f, 0x1.7367a2p-1f},
                      BandRow{100.0f, 0x1.6de00ep-1f, 0x1.7367a2p-1f}, BandRow{-1.0f, 0x1.70a3d8p-2f, 0x1.147ae2p+0f},
                      // (1 - s) × 0.18 rounds apart from 0.18 - s × 0.18 here.
                      BandRow{0.4f, 0x1.39581p-1f, 0x1.a7efap-1f}));

TEST(SmoothStep, EdgesAreExactAndCentreIsHalf)
{
    const shading::Band band = highlightBand(0.0f);
    EXPECT_EQ(smoothStep(band.lower, band.upper, band.lower), 0.0f);
    EXPECT_EQ(smoothStep(band.lower, band.upper, band.upper), 1.0f);
    EXPECT_EQ(smoothStep(band.lower, band.upper, 0.72f), 0.5f);
    EXPECT_EQ(smoothStep(band.lower, band.upper, std::nextafter(band.lower, 0.0f)), 0.0f);
    EXPECT_EQ(smoothStep(band.lower, band.upper, std::nextafter(band.upper, 2.0f)), 1.0f);
}

TEST(SmoothStep, DegenerateBandIsAStepWithoutNaN)
{
    const float edge = 0.72f;
    EXPECT_EQ(smoothStep(edge, edge, edge), 1.0f);
    EXPECT_EQ(smoothStep(edge, edge, std::nextafter(edge, 0.0f)), 0.0f);
    EXPECT_EQ(smoothStep(edge, edge, std::nextafter(edge, 1.0f)), 1.0f);
    // A NaN lobe is not turned into a value.
    EXPECT_TRUE(std::isnan(smoothStep(edge, edge, std::numeric_limits<float>::quiet_NaN())));
}

TEST(HighlightTerm, WorkedExampleBitForBit)
{
    // cosH 0x1.e5b9d4p-1, lobe 0x1.9eb85cp-1, k 0x1.b0001cp-1 (about 0.84375).
    expectBits(exampleTerm(0.25f, 0.0f), 0x1.b0001cp-1f, 0x1.b0001cp-1f, 0x1.b0001cp-1f);
    // light colour × (k × weight) × specular colour, channel by channel.
    expectBits(exampleTerm(0.25f, 0.0f, 1.0f, {0.5f, 2.0f, 0.25f}, {0.8f, 0.4f, 1.0f}), 0x1.5999b0p-2f, 0x1.5999b0p-1f,
               0x1.b0001cp-3f);
    // The weight scales without a clamp; roughness at or below 0 gives
    // whatever pow gives: pow(0.9487, inf) = 0 below the band, pow(0.9487,
    // -4) ~ 1.234 above it.
    const struct {
        float roughness, weight, k;
    } rows[] = {{0.25f, 0.0f, 0.0f}, {0.25f, -2.0f, -0x1.b0001cp+0f}, {0.0f, 1.0f, 0.0f}, {-0.25f, 1.0f, 1.0f}};
    for (const auto& row : rows) expectBits(exampleTerm(row.roughness, 0.0f, row.weight), row.k, row.k, row.k);
}

TEST(HighlightTerm, LightGateIsStrict)
{
    // N·L exactly 0: a light in the tangent plane.
    expectBlack(highlightTerm(kUp, kUp, {1.0f, 0.0f, 0.0f}, kWhite, kWhite, 0.3f, 0.2f, 1.0f));
    // Behind the surface, even with the half vector on the normal.
    expectBlack(highlightTerm({0.0f, 0.0f, 1.0f}, kUp, {0.0f, 0.0f, -1.0f}, kWhite, kWhite, 0.3f, 0.2f, 1.0f));
    // A NaN cosine fails the gate.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    expectBlack(highlightTerm(kUp, kUp, {0.0f, 0.0f, nan}, kWhite, kWhite, 0.3f, 0.2f, 1.0f));
}

TEST(HighlightTerm, OnlyTheGateStandsBetweenTheseLightsAndAFullHighlight)
{
    const Float3 light{0.5f, 2.0f, 0.25f};
    const Float3 specular{0.8f, 0.4f, 1.0f};
    // Edge-on light: ungated, H = (0.4, 0, 0.8) lies above the band.
    expectBlack(highlightTerm({-0.6f, 0.0f, 0.8f}, kUp, {1.0f, 0.0f, 0.0f}, light, specular, 1.0f, 0.5f, 1.0f));
    // NaN cosine: ungated, the NaN lobe base becomes 0 and pow(0, -4) = inf.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    expectBlack(highlightTerm(kUp, kUp, {0.0f, 0.0f, nan}, light, specular, -0.25f, 0.5f, 1.0f));
    // N·L = (-0.48 + 0.48) + 1e-9 passes; any other grouping loses the 1e-9
    // to rounding and gives exactly 0.
    expectBits(highlightTerm({-0.2f, 1.4f, 0.0f}, {0.6f, 0.8f, 1e-5f}, {0.8f, -0.6f, 1e-4f}, light, specular, 1.0f,
                             0.5f, 1.0f),
               0x1.99999ap-2f, 0x1.99999ap-1f, 0x1p-2f);
}

TEST(HighlightTerm, EveryStepRoundsInItsWrittenOrder)
{
    // A lobe inside the band and no operand a power of two: grouping H·H,
    // N·H or (3 - 2t)·t·t otherwise, dividing H by its length instead of
    // scaling by the reciprocal, or the other way round for the band width,
    // each change the last bits.
    const Float3 term = highlightTerm({0.59f, 0.12f, 0.34f}, {0.49f, 0.41f, 0.66f}, {-0.47f, -0.16f, 0.46f},
                                      {1.96f, 0.14f, 1.17f}, {0.12f, 0.73f, 0.89f}, 1.0f, 0.36f, 1.3f);
    expectBits(term, 0x1.f29664p-4f, 0x1.b14bd6p-5f, 0x1.13ec9cp-1f);
    // With N along an axis, cos H is that component of H alone: each
    // component is scaled by the reciprocal of the length, not divided by it.
    const struct {
        Float3 V, N, L;
        float k;
    } axes[] = {
        {{0.57f, -0.48f, 0.42f}, {1.0f, 0.0f, 0.0f}, {0.96f, -0.4f, -0.31f}, 0x1.f28cp-1f},
        {{0.03f, 0.87f, -0.55f}, {0.0f, 1.0f, 0.0f}, {0.6f, 0.68f, -0.22f}, 0x1.dbe702p-1f},
        {{0.68f, 0.05f, 0.62f}, {0.0f, 0.0f, 1.0f}, {0.26f, 0.7f, 0.52f}, 0x1.78d6a8p-2f},
    };
    for (const auto& a : axes) {
        expectBits(highlightTerm(a.V, a.N, a.L, kWhite, kWhite, 1.0f, 0.0f, 1.0f), a.k, a.k, a.k);
    }
    // Each channel is light × (k × weight) × specular; light × (k × (weight ×
    // specular)), (light × k) × weight × specular or (light × specular) ×
    // (k × weight) give other bits in every channel.
    expectBits(exampleTerm(0.25f, 0.0f, 0.47f, {0.46f, 1.98f, 0.19f}, {0.96f, 0.49f, 0.59f}), 0x1.66a676p-3f,
               0x1.89fabp-2f, 0x1.6c2c44p-5f);
}

TEST(HighlightTerm, HalfVectorOnTheNormalGivesFullColorTimesWeight)
{
    // cosH = 1 gives lobe 1 for any positive roughness: k = 1.
    const Float3 term = highlightTerm(kUp, kUp, kUp, {0.5f, 2.0f, 0.25f}, {0.8f, 0.4f, 1.0f}, 0.01f, 0.5f, 2.0f);
    expectBits(term, 0.8f, 1.6f, 0.5f);
}

// The viewer on the far side of the surface while the light is in front:
// cos H is 0 or below, and only its clamp to 0 (and the zero-length half
// vector's guard) stand between the result and NaN or a wrong sign.
TEST(HighlightTerm, ViewerBehindTheSurfaceWithTheLightInFront)
{
    const struct {
        const char* what;
        Float3 V, L;
        float roughness, sharpness, k;
    } rows[] = {
        // L = -V leaves H zero: lobe 0, below every band.
        {"zero half vector, sharpness 0", {0.0f, -0.6f, -0.8f}, kExampleLight, 0.3f, 0.0f, 0.0f},
        {"zero half vector, sharpness 1", {0.0f, -0.6f, -0.8f}, kExampleLight, 0.3f, 1.0f, 0.0f},
        // and pow(0, -4) = inf lies above it.
        {"zero half vector, negative roughness", {0.0f, -0.6f, -0.8f}, kExampleLight, -0.25f, 0.0f, 1.0f},
        // cos H = -0.316: unclamped, pow(-0.316, 3.33) is NaN.
        {"cos H below 0", {0.0f, 0.0f, -1.0f}, {0.6f, 0.0f, 0.8f}, 0.3f, 0.0f, 0.0f},
        // cos H = -0.871: unclamped, its square 0.759 lies inside the band.
        {"cos H below 0, even exponent", {-0.6f, 0.0f, -0.8f}, {0.995f, 0.0f, 0.0998f}, 0.5f, 0.0f, 0.0f},
        // pow(0, -1) = inf, above the band; unclamped, pow(-0.316, -1) < 0 is below it.
        {"cos H below 0, negative roughness", {0.0f, 0.0f, -1.0f}, {0.6f, 0.0f, 0.8f}, -1.0f, 0.0f, 1.0f},
    };
    for (const auto& row : rows) {
        const Float3 term = highlightTerm(row.V, kUp, row.L, kWhite, kWhite, row.roughness, row.sharpness, 1.0f);
        EXPECT_EQ(term.x, row.k) << row.what;
        EXPECT_EQ(term.y, row.k) << row.what;
        EXPECT_EQ(term.z, row.k) << row.what;
    }
}

}  // namespace
