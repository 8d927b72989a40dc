// Three single-precision floats: a colour, a point or a direction. Every
// operation is one float operation per channel, in channel order; `*`
// between two vectors is the dot product, x·x' + y·y' + z·z' in that order.
#pragma once

#include <cmath>

#include "MStatus.h"

class MFloatVector {
public:
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    MFloatVector() = default;
    MFloatVector(float xx, float yy, float zz = 0.0f) : x(xx), y(yy), z(zz) {}
    explicit MFloatVector(const float v[3]) : x(v[0]), y(v[1]), z(v[2]) {}

    MFloatVector operator+(const MFloatVector& o) const { return {x + o.x, y + o.y, z + o.z}; }
    MFloatVector operator-(const MFloatVector& o) const { return {x - o.x, y - o.y, z - o.z}; }
    MFloatVector operator-() const { return {-x, -y, -z}; }
    MFloatVector operator*(float s) const { return {x * s, y * s, z * s}; }
    MFloatVector operator/(float s) const { return {x / s, y / s, z / s}; }
    float operator*(const MFloatVector& o) const { return (x * o.x + y * o.y) + z * o.z; }
    MFloatVector operator^(const MFloatVector& o) const
    {
        return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
    }

    MFloatVector& operator+=(const MFloatVector& o)
    {
        x += o.x;
        y += o.y;
        z += o.z;
        return *this;
    }
    MFloatVector& operator-=(const MFloatVector& o)
    {
        x -= o.x;
        y -= o.y;
        z -= o.z;
        return *this;
    }
    MFloatVector& operator*=(float s)
    {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }
    MFloatVector& operator/=(float s)
    {
        x /= s;
        y /= s;
        z /= s;
        return *this;
    }

    float operator[](unsigned int i) const { return i == 0 ? x : (i == 1 ? y : z); }
    float& operator[](unsigned int i) { return i == 0 ? x : (i == 1 ? y : z); }

    bool operator==(const MFloatVector& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const MFloatVector& o) const { return !(*this == o); }

    // sqrt of the squared length, itself rounded to float first.
    float length() const { return std::sqrt((x * x + y * y) + z * z); }

    // Divides each channel by the length; a zero vector is left unchanged.
    MStatus normalize()
    {
        const float len = length();
        if (len != 0.0f) {
            x /= len;
            y /= len;
            z /= len;
        }
        return MStatus::kSuccess;
    }

    MFloatVector normal() const
    {
        MFloatVector n(*this);
        n.normalize();
        return n;
    }
};

inline MFloatVector operator*(int s, const MFloatVector& v)
{
    const float f = static_cast<float>(s);
    return {f * v.x, f * v.y, f * v.z};
}

inline MFloatVector operator*(float s, const MFloatVector& v) { return {s * v.x, s * v.y, s * v.z}; }
