// Reading a parameter the renderer's way: in place, unless a shader is
// connected to it, in which case the renderer evaluates the connection and
// hands back where the value now lives.
#pragma once

extern "C" {
#include <shader.h>
}

#include <cstring>

// The value of `field` for this sample. The ghost offset is read afresh for
// each field; the address returned stays valid until the shader returns.
template <typename T>
const T& evaluated(miState* state, T& field)
{
    const miInteger ghost = state->shader->ghost_offs;
    if (ghost == 0) {
        return field;
    }
    miTag connected;
    std::memcpy(&connected, reinterpret_cast<const char*>(&field) + ghost, sizeof connected);
    if (connected == miNULLTAG) {
        return field;
    }
    // A connection that yields no value leaves the stored one in force.
    const void* value = mi_phen_eval(state, &field);
    return value != 0 ? *static_cast<const T*>(value) : field;
}
