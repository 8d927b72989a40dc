// BallScene layout, ray intersection, light sampling with the ball's shadow,
// ground shading and irradiance gathering. The layout is built in world
// space (y up, the ball resting on y = 0) and moved into camera space once.
#include "scene.h"

#include <algorithm>
#include <cmath>

namespace preview {
namespace {

// Keeps rays leaving a surface from hitting it again through rounding.
constexpr float kRayOffset = 1e-3f;

}  // namespace

BallScene::BallScene(Environment environment, int areaSamplesPerSide, const Lighting& lighting)
    : environment_(std::move(environment)), areaSamplesPerSide_(std::max(1, areaSamplesPerSide)), lighting_(lighting)
{
    lighting_.irradianceRays = std::max(1, lighting_.irradianceRays);
    turnCos_ = std::cos(lighting_.environmentTurn * kPi / 180.0f);
    turnSin_ = std::sin(lighting_.environmentTurn * kPi / 180.0f);
    const Vec3 eye{0.0f, 2.0f, 6.0f};
    const Vec3 target{0.0f, 0.85f, 0.0f};
    back_ = normalize(eye - target);
    right_ = normalize(cross(Vec3{0.0f, 1.0f, 0.0f}, back_));
    up_ = cross(back_, right_);
    tanHalfFov_ = std::tan(15.0f * kPi / 180.0f);

    auto toCameraPoint = [&](const Vec3& p) {
        const Vec3 d = p - eye;
        return Vec3{dot(d, right_), dot(d, up_), dot(d, back_)};
    };
    auto toCameraDirection = [&](const Vec3& d) { return Vec3{dot(d, right_), dot(d, up_), dot(d, back_)}; };

    ballCentre_ = toCameraPoint({0.0f, 1.0f, 0.0f});
    groundPoint_ = toCameraPoint({0.0f, 0.0f, 0.0f});
    groundNormal_ = toCameraDirection({0.0f, 1.0f, 0.0f});
    groundAxisU_ = toCameraDirection({1.0f, 0.0f, 0.0f});
    groundAxisV_ = toCameraDirection({0.0f, 0.0f, 1.0f});
    // A little of the sky overhead lights the ground everywhere, so shadows
    // are not black; an environment image lights it as a whole: the mean of
    // its upper half weighted by the cosine, the diffuse ground's share of it.
    groundAmbient_ = environment_.isImage() ? groundIrradiance() : worldEnvironment({0.0f, 1.0f, 0.0f}) * 0.3f;

    // Key light high on the left in front, a dim cool fill low on the right,
    // and a square area light behind on the right for a soft rim.
    if (!lighting_.builtInLights) return;
    lights_.push_back({toCameraPoint({-4.0f, 5.5f, 4.0f}), {1.0f, 0.96f, 0.9f}, {}, {}, false});
    lights_.push_back({toCameraPoint({5.0f, 1.5f, 3.5f}), {0.22f, 0.25f, 0.32f}, {}, {}, false});
    lights_.push_back({toCameraPoint({3.0f, 4.0f, -3.5f}),
                       {0.55f, 0.55f, 0.6f},
                       toCameraDirection({0.7f, 0.0f, 0.7f}),
                       toCameraDirection({0.0f, 1.0f, 0.0f}),
                       true});
}

Ray BallScene::cameraRay(float px, float py, int width, int height, const ScreenWindow& window) const
{
    const float aspect = float(width) / float(height);
    if (window.halfHeight > 0.0f) {
        const float sx = window.centreX + (2.0f * px / float(width) - 1.0f) * window.halfHeight * aspect;
        const float sy = window.centreY + (1.0f - 2.0f * py / float(height)) * window.halfHeight;
        return {{0.0f, 0.0f, 0.0f}, normalize(Vec3{sx, sy, -1.0f})};
    }
    const float sx = (2.0f * px / float(width) - 1.0f) * tanHalfFov_ * aspect;
    const float sy = (1.0f - 2.0f * py / float(height)) * tanHalfFov_;
    return {{0.0f, 0.0f, 0.0f}, normalize(Vec3{sx, sy, -1.0f})};
}

ScreenWindow BallScene::ballWindow(int width, int height) const
{
    // The ball's outline on the image plane is close to a circle about its
    // centre's image, of radius the tangent of its angular radius.
    constexpr float kMargin = 1.3f;
    const float distance = length(ballCentre_);
    const float radius = ballRadius_ / std::sqrt(distance * distance - ballRadius_ * ballRadius_);
    const float aspect = float(width) / float(height);
    ScreenWindow window;
    window.centreX = ballCentre_.x / -ballCentre_.z;
    window.centreY = ballCentre_.y / -ballCentre_.z;
    window.halfHeight = radius * kMargin / std::min(1.0f, aspect);
    return window;
}

void BallScene::project(const Vec3& point, int width, int height, float& px, float& py) const
{
    const float aspect = float(width) / float(height);
    const float sx = point.x / -point.z / (tanHalfFov_ * aspect);
    const float sy = point.y / -point.z / tanHalfFov_;
    px = (sx + 1.0f) * 0.5f * float(width);
    py = (1.0f - sy) * 0.5f * float(height);
}

Hit BallScene::intersect(const Ray& ray, bool includeBall) const
{
    Hit hit;
    float nearest = INFINITY;
    if (includeBall) {
        const Vec3 oc = ray.origin - ballCentre_;
        const float b = dot(oc, ray.direction);
        const float c = dot(oc, oc) - ballRadius_ * ballRadius_;
        const float disc = b * b - c;
        if (disc >= 0.0f) {
            const float root = std::sqrt(disc);
            float t = -b - root;
            if (t <= kRayOffset) t = -b + root;
            if (t > kRayOffset) {
                nearest = t;
                hit.surface = Surface::Ball;
                hit.distance = t;
                hit.point = ray.origin + ray.direction * t;
                hit.normal = normalize(hit.point - ballCentre_);
            }
        }
    }
    const float denom = dot(ray.direction, groundNormal_);
    if (denom < 0.0f) {
        const float t = dot(groundPoint_ - ray.origin, groundNormal_) / denom;
        if (t > kRayOffset && t < nearest) {
            hit.surface = Surface::Ground;
            hit.distance = t;
            hit.point = ray.origin + ray.direction * t;
            hit.normal = groundNormal_;
        }
    }
    return hit;
}

int BallScene::sampleCount(const SceneLight& light, LightView view) const
{
    return light.isArea && view == LightView::Samples ? areaSamplesPerSide_ * areaSamplesPerSide_ : 1;
}

float BallScene::visibility(const Vec3& point, const Vec3& target) const
{
    // Only the ball casts shadows: the lights are all above the ground.
    const Vec3 toTarget = target - point;
    const float distance = length(toTarget);
    const Ray ray{point, toTarget * (1.0f / distance)};
    const Hit hit = intersect(ray, true);
    return hit.surface == Surface::Ball && hit.distance < distance ? 0.0f : 1.0f;
}

Vec3 BallScene::lightPosition(const SceneLight& light, LightView view, int index, Sampler* sampler) const
{
    if (sampleCount(light, view) == 1) return light.centre;
    // One sample in each cell of a k x k grid over the square, as the
    // renderer places its area light samples.
    const int k = areaSamplesPerSide_;
    float du = 0.5f, dv = 0.5f;
    if (sampler) sampler->stratified(index, du, dv);
    const float u = (float(index % k) + du) / float(k) * 2.0f - 1.0f;
    const float v = (float(index / k) + dv) / float(k) * 2.0f - 1.0f;
    return light.centre + light.edgeU * u + light.edgeV * v;
}

LightSample BallScene::sampleLight(const SceneLight& light, LightView view, int index, const Vec3& point,
                                   Sampler* sampler) const
{
    const Vec3 position = lightPosition(light, view, index, sampler);
    return {normalize(position - point), light.color * visibility(point, position)};
}

Vec3 BallScene::environment(const Vec3& d) const
{
    // Camera space back to world space: the basis vectors are the rows.
    const Vec3 world = right_ * d.x + up_ * d.y + back_ * d.z;
    return worldEnvironment(normalize(world));
}

Vec3 BallScene::worldEnvironment(const Vec3& d) const
{
    // Untouched settings leave every bit as it was.
    Vec3 radiance =
        lighting_.environmentTurn == 0.0f
            ? environment_.radiance(d)
            : environment_.radiance({d.x * turnCos_ + d.z * turnSin_, d.y, d.z * turnCos_ - d.x * turnSin_});
    if (lighting_.environmentIntensity != 1.0f) radiance = radiance * lighting_.environmentIntensity;
    return radiance;
}

Vec3 BallScene::groundIrradiance() const
{
    // Cosine-weighted directions at the centres of a fine grid over the upper
    // hemisphere: computed once, so it may take many.
    constexpr int kSide = 48;
    Vec3 sum;
    for (int i = 0; i < kSide; ++i)
        for (int j = 0; j < kSide; ++j) {
            const float r1 = (float(i) + 0.5f) / float(kSide);
            const float phi = 2.0f * kPi * (float(j) + 0.5f) / float(kSide);
            const float r = std::sqrt(r1);
            sum += worldEnvironment(normalize(Vec3{r * std::cos(phi), std::sqrt(1.0f - r1), r * std::sin(phi)}));
        }
    return sum * (1.0f / float(kSide * kSide));
}

Vec3 BallScene::shadeGround(const Hit& hit, LightView view, Sampler* sampler) const
{
    const Vec3 offset = hit.point - groundPoint_;
    const float u = dot(offset, groundAxisU_);
    const float v = dot(offset, groundAxisV_);
    const bool light = (int(std::floor(u * 2.0f)) + int(std::floor(v * 2.0f))) % 2 == 0;
    // Far squares blend into their average rather than shimmer.
    const float fade = std::min(1.0f, hit.distance / 40.0f);
    const float albedo = (light ? 0.7f : 0.25f) * (1.0f - fade) + 0.475f * fade;

    const Vec3 point = hit.point + hit.normal * kRayOffset;
    Vec3 sum = groundAmbient_;
    for (const SceneLight& l : lights_) {
        const int count = sampleCount(l, view);
        Vec3 lightSum;
        for (int i = 0; i < count; ++i) {
            const LightSample s = sampleLight(l, view, i, point, sampler);
            const float cosine = dot(s.direction, hit.normal);
            if (cosine > 0.0f) lightSum += s.color * cosine;
        }
        sum += lightSum * (1.0f / float(count));
    }
    return sum * albedo;
}

Vec3 BallScene::traceFromBall(const Ray& ray, LightView view, Sampler* sampler) const
{
    const Hit hit = intersect(ray, false);
    if (hit.surface == Surface::Ground) return shadeGround(hit, view, sampler);
    return environment(ray.direction);
}

Vec3 BallScene::irradiance(const Vec3& point, const Vec3& normal, LightView view, Sampler& sampler) const
{
    // An orthonormal frame around the normal.
    const Vec3 helper = std::fabs(normal.x) > 0.9f ? Vec3{0.0f, 1.0f, 0.0f} : Vec3{1.0f, 0.0f, 0.0f};
    const Vec3 t = normalize(cross(helper, normal));
    const Vec3 b = cross(normal, t);
    const Vec3 origin = point + normal * kRayOffset;
    Vec3 sum;
    const int rays = lighting_.irradianceRays;
    // The first side x side rays each in their own cell of the (r1, phi)
    // square, the rest anywhere.
    int side = 1;
    while ((side + 1) * (side + 1) <= rays) ++side;
    for (int i = 0; i < rays; ++i) {
        // Cosine-weighted: the estimate of irradiance is then pi times the mean radiance.
        const bool inCell = i < side * side;
        const float r1 = inCell ? (float(i % side) + sampler.next()) / float(side) : sampler.next();
        const float phi = 2.0f * kPi * (inCell ? (float(i / side) + sampler.next()) / float(side) : sampler.next());
        const float r = std::sqrt(r1);
        const Vec3 d = t * (r * std::cos(phi)) + b * (r * std::sin(phi)) + normal * std::sqrt(1.0f - r1);
        sum += traceFromBall({origin, normalize(d)}, view, &sampler);
    }
    return sum * (kPi / float(rays));
}

}  // namespace preview
