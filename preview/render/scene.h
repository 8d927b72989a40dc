// The material-ball scene: a ball resting on a checkered ground plane, seen by
// a camera, lit by a key light, a fill light and a square area light, under
// the environment. Everything is stored in camera space (the camera at the
// origin looking down -z, y up), the space in which the Maya host hands
// points and normals to a shading node, so no host needs a transform.
#pragma once

#include <vector>

#include "environment.h"
#include "sampler.h"
#include "vec3.h"

namespace preview {

struct Ray {
    Vec3 origin;
    Vec3 direction;  // unit length
};

enum class Surface { None, Ball, Ground };

// The part of the image plane (z = -1 in camera space) that an image shows:
// its centre and half its height. halfHeight 0 is the camera's own view.
struct ScreenWindow {
    float centreX = 0.0f;
    float centreY = 0.0f;
    float halfHeight = 0.0f;
};

struct Hit {
    Surface surface = Surface::None;
    float distance = 0.0f;
    Vec3 point;
    Vec3 normal;  // unit, facing out of the ball or up from the ground
};

// A point light has no extent; an area light is the square centre ± edgeU ± edgeV.
struct SceneLight {
    Vec3 centre;
    Vec3 color;
    Vec3 edgeU;
    Vec3 edgeV;
    bool isArea = false;
};

// How a host sees the lights: the Maya host gets one light record per light,
// at the light's centre; the renderer takes several samples over an area light.
enum class LightView { Centres, Samples };

// One light sample as it arrives at a point: the unit direction toward the
// light and its colour, already darkened by the shadow the ball casts.
struct LightSample {
    Vec3 direction;
    Vec3 color;
};

// How the scene is lit beyond its layout.
struct Lighting {
    bool builtInLights = true;          // the key, fill and area lights
    float environmentTurn = 0.0f;       // degrees about the vertical axis
    float environmentIntensity = 1.0f;  // scales the environment's radiance
    int irradianceRays = 16;            // per irradiance gathering
};

class BallScene {
public:
    // The renderer's view samples the area light on a grid of
    // areaSamplesPerSide x areaSamplesPerSide cells.
    BallScene(Environment environment, int areaSamplesPerSide, const Lighting& lighting = {});

    // The ray through the continuous pixel position (px, py), (0, 0) being the
    // top-left corner of an image of width × height pixels.
    Ray cameraRay(float px, float py, int width, int height, const ScreenWindow& window = {}) const;

    // A window on the ball, whole with a margin round it, for an image of
    // that shape: a contact sheet's cells, however narrow, each show the ball.
    ScreenWindow ballWindow(int width, int height) const;

    // The continuous pixel position at which a camera-space point appears;
    // the inverse of cameraRay.
    void project(const Vec3& point, int width, int height, float& px, float& py) const;

    // Nearest hit along the ray, the ball included or not.
    Hit intersect(const Ray& ray, bool includeBall) const;

    const std::vector<SceneLight>& lights() const { return lights_; }
    int sampleCount(const SceneLight& light, LightView view) const;
    int areaSamplesPerSide() const { return areaSamplesPerSide_; }
    // Where sample `index` of `sampleCount` of the light sits: in its cell of
    // the area light's grid, at a place the sampler draws (stratified and
    // jittered, as renderers sample area lights), or without one at its centre.
    Vec3 lightPosition(const SceneLight& light, LightView view, int index, Sampler* sampler = nullptr) const;
    // Sample `index` of the light as seen from `point`.
    LightSample sampleLight(const SceneLight& light, LightView view, int index, const Vec3& point,
                            Sampler* sampler = nullptr) const;
    // 1 when nothing lies between the two points, 0 when the ball does.
    float visibility(const Vec3& point, const Vec3& target) const;

    // Radiance arriving from a direction given in camera space, the
    // environment turned and scaled.
    Vec3 environment(const Vec3& direction) const;
    // The same for a world-space direction (y up).
    Vec3 worldEnvironment(const Vec3& direction) const;

    // Colour seen along a ray that leaves the ball: the lit ground or the
    // environment. A convex ball never sees itself, so the ball is left out.
    // The sampler, when given, places the area light's samples on the ground.
    Vec3 traceFromBall(const Ray& ray, LightView view, Sampler* sampler = nullptr) const;

    // Irradiance arriving at a point from the hemisphere around the normal,
    // gathered with cosine-weighted rays traced as traceFromBall does, as
    // many as the lighting asks for, stratified over the hemisphere.
    Vec3 irradiance(const Vec3& point, const Vec3& normal, LightView view, Sampler& sampler) const;

    Vec3 shadeGround(const Hit& hit, LightView view, Sampler* sampler = nullptr) const;

    // Where the ball is, for tests and framing.
    Vec3 ballCentre() const { return ballCentre_; }
    float ballRadius() const { return ballRadius_; }

private:
    Vec3 groundIrradiance() const;

    Environment environment_;
    int areaSamplesPerSide_;
    Lighting lighting_;
    float turnCos_ = 1.0f, turnSin_ = 0.0f;
    // Camera basis in world space, for environment lookups.
    Vec3 right_, up_, back_;
    Vec3 ballCentre_;
    float ballRadius_ = 1.0f;
    Vec3 groundPoint_, groundNormal_;
    Vec3 groundAxisU_, groundAxisV_;  // checker directions along the ground
    Vec3 groundAmbient_;
    std::vector<SceneLight> lights_;
    float tanHalfFov_;
};

}  // namespace preview
