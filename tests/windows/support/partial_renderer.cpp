// A renderer module that exports only two of the six functions a shader
// binds (mi_phen_eval and mi_reflection_dir), as an older or trimmed renderer
// might: lookups of the other four fail in it.
extern "C" {
#include <shader.h>
}

extern "C" {

// Nothing is connected in this renderer: every parameter is its own value.
DLLEXPORT void* mi_phen_eval(miState* /*state*/, void* parm) { return parm; }

DLLEXPORT void mi_reflection_dir(miVector* dir, miState* state)
{
    *dir = {-state->dir.x, -state->dir.y, -state->dir.z};
}

}  // extern "C"
