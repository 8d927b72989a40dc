/* The renderer's shader interface as the shader libraries see it: the value
 * types, the state record, the shader record and the six renderer functions a
 * shader calls. The names and signatures are the renderer's own; the layout of
 * the state record is this stand-in's (only the fields shaders read are fixed).
 *
 * A plain C header, like the renderer's: C++ sources include it inside
 * extern "C" { }, as the renderer's manual tells them to.
 *
 * Directions: `dir` points along the incoming ray (toward the surface);
 * `normal` is the shading normal, facing the side the ray came from. */
#ifndef SHADER_H
#define SHADER_H

/* The renderer's export marking: an export declaration on Windows and, as the
 * manual has it, nothing elsewhere. Shader libraries built with hidden
 * visibility therefore mark their entry points themselves. */
#if defined(_WIN32)
#define DLLEXPORT __declspec(dllexport)
#else
#define DLLEXPORT
#endif

typedef int miBoolean;
#define miFALSE 0
#define miTRUE 1

typedef int miInteger;
typedef float miScalar;
typedef unsigned int miTag; /* 32-bit handle of a scene element */
#define miNULLTAG 0

typedef struct miVector {
    miScalar x, y, z;
} miVector;

typedef struct miColor {
    miScalar r, g, b, a;
} miColor;

/* The current shader record: the fields the renderer documents, in its
 * order, with the parameter block starting at `parameters` and running on
 * past the record. Shaders read ghost_offs alone, and only by name: the
 * distance from each parameter to its ghost slot, which holds the tag of a
 * shader connected to that parameter (or 0); 0 when nothing of this shader
 * is connected. The types of the fields no shader reads are the stand-in's. */
typedef struct miFunction {
    void* sparep1[7];
    int type;
    unsigned int out_typemap;
    unsigned int out_interpmap;
    miTag function_decl; /* the declaration the parameters follow */
    miTag next_function;
    miTag parameter_indirect;
    miTag interfacephen;
    miBoolean spare0;
    int parameter_size; /* bytes of the parameter block, arrays included */
    int result_size;
    int ghost_offs;
    miTag pass_read;
    miTag pass_write;
    signed char pass_maxsamples;
    unsigned char spare2[3];
    unsigned char no_expl_params;
    unsigned char cloned;
    unsigned char spare3[5];
    unsigned char label;
    char parameters[8]; /* the parameter block, then the ghost slots */
} miFunction;

/* One shading sample. Shaders read dir, normal and shader; the rest serves
 * the renderer's own functions. A trace function that finds something copies
 * label, point, normal, dist and motion of the ray it cast back into the
 * state it was given, and changes nothing else there. */
typedef struct miState {
    miVector org;         /* ray origin */
    miVector dir;         /* unit direction of the incoming ray */
    double dist;          /* length of the ray up to the point */
    miVector point;       /* the shaded point */
    miVector normal;      /* unit shading normal */
    miVector normal_geom; /* unit geometric normal */
    miScalar dot_nd;      /* normal . dir */
    miVector motion;      /* motion vector of the point */
    unsigned int label;   /* label of the object hit */
    miInteger type;       /* ray type: 0 for eye rays */
    miInteger reflection_level;
    miInteger refraction_level;
    short thread; /* index of the render thread shading the sample */
    const miFunction* shader;
    void* user;
    /* The stand-in's own: the scene the sample belongs to (lights, tracers,
     * connected shaders) and the calling thread's storage for the results of
     * connected parameters, valid until the material shader returns. */
    const void* scene;
    void* eval_area;
} miState;

miBoolean mi_sample_light(miColor* const result, miVector* const dir, float* const dot_nl, miState* const state,
                          const miTag light_inst, int* const samples);
void mi_reflection_dir(miVector* dir, miState* state);
miBoolean mi_trace_reflection(miColor* result, miState* state, miVector* direction);
miBoolean mi_trace_environment(miColor* result, miState* state, miVector* direction);
miBoolean mi_compute_irradiance(miColor* result, miState* state);
void* mi_phen_eval(miState* state, void* parm);

#endif /* SHADER_H */
