/* The renderer's header with its export marking emptied, as the renderer may
 * define it outside Windows: found first by the copies built here. */
#include_next <shader.h>

#undef DLLEXPORT
#define DLLEXPORT
