// The cheapest renderer a shader library can be bound to: its light sampling
// answers from samples worked out beforehand, and it finds no reflection,
// environment or irradiance. Loaded as a module of its own, so that its six
// functions are found through its handle and shadow nothing in the program.
#pragma once

extern "C" {
#include <shader.h>
}

struct AnsweredSample {
    miColor color;
    miVector direction;  // unit, toward the light
    miScalar cosine;
};

struct AnsweredLight {
    const AnsweredSample* samples;
    int count;
};

// Light tag t (1 ... count) answers with lights[t - 1]; the storage stays the
// caller's and must outlive every shader call.
using AnsweringRendererUse = void (*)(const AnsweredLight* lights, int count);
