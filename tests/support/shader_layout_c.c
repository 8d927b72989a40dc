/* The renderer's header as a C compiler reads it: C shader libraries and the
 * renderer itself see these sizes and offsets, and C++ shaders must agree. */
#include <stddef.h>

#include <shader.h>

#include "shader_layout.h"

void shaderLayoutSeenByC(struct ShaderLayout* layout)
{
    layout->boolean = sizeof(miBoolean);
    layout->integer = sizeof(miInteger);
    layout->tag = sizeof(miTag);
    layout->color = sizeof(miColor);
    layout->state = sizeof(miState);
    layout->stateShader = offsetof(miState, shader);
    layout->function = sizeof(miFunction);
    layout->ghostOffs = offsetof(miFunction, ghost_offs);
    layout->parameters = offsetof(miFunction, parameters);
}
