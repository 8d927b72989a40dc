// Three single-precision floats: a colour, a point or a direction. Every
// operation is one float operation per channel, in channel order; `*`
// between two vectors is the dot product, x·x' + y·y' + z·z' in that order.
#pragma once

#include <cmath>

#include "MStatus.h"

class MFloatVector {
public:
    float x;
    float y;
    float z;

    MFloatVector() : x(0.0f), y(0.0f), z(0.0f) {}
    MFloatVector(float xx, float yy, float zz = 0.0f) : x(xx), y(yy), z(zz) {}
    explicit MFloatVector(const float v[3]) : x(v[0]), y(v[1]), z(v[2]) {}

    MFloatVector operator+(const MFloatVector& o) const { return MFloatVector(x + o.x, y + o.y, z + o.z); }
    MFloatVector operator-(const MFloatVector& o) const { return MFloatVector(x - o.x, y - o.y, z - o.z); }
    MFloatVector operator-() const { return MFloatVector(-x, -y, -z); }
    MFloatVector operator*(float s) const { return MFloatVector(x * s, y * s, z * s); }
    // Each channel times the integer made a float.
    MFloatVector operator*(int s) const { return *this * static_cast<float>(s); }
    MFloatVector operator/(float s) const { return MFloatVector(x / s, y / s, z / s); }
    float operator*(const MFloatVector& o) const { return (x * o.x + y * o.y) + z * o.z; }
    MFloatVector operator^(const MFloatVector& o) const
    {
        return MFloatVector(y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x);
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

inline MFloatVector operator*(float s, const MFloatVector& v) { return MFloatVector(s * v.x, s * v.y, s * v.z); }
