/* Sizes and offsets of the renderer's types, as one compiler lays them out. */
#ifndef SHADER_LAYOUT_H
#define SHADER_LAYOUT_H

#include <stddef.h>

struct ShaderLayout {
    size_t boolean, integer, tag, color, state, stateShader, function, ghostOffs, parameters;
};

/* Filled by the C translation unit. */
#ifdef __cplusplus
extern "C"
#endif
    void
    shaderLayoutSeenByC(struct ShaderLayout* layout);

#endif
