/* The export marking of the modules' entry points. Both modules are built
 * with hidden visibility, and a hidden symbol is not exported even when the
 * module's export list names it; the hosts' own markings (PLUGIN_EXPORT,
 * DLLEXPORT) are not documented to mark anything outside Windows. So each
 * entry point carries this marking as well, whatever those expand to.
 *
 * GLOSSY_EXPORTS_BEGIN/END make every declaration between them exported:
 * they wrap a host header that defines an exported record of its own. The
 * version script still limits what leaves the module to its listed names.
 * Plain C, so that C and C++ sources can both use it. */
#ifndef GLOSSY_EXPORT_H
#define GLOSSY_EXPORT_H

#if defined(_WIN32)
#define GLOSSY_EXPORT __declspec(dllexport)
#define GLOSSY_EXPORTS_BEGIN
#define GLOSSY_EXPORTS_END
#else
#define GLOSSY_EXPORT __attribute__((visibility("default")))
#define GLOSSY_EXPORTS_BEGIN _Pragma("GCC visibility push(default)")
#define GLOSSY_EXPORTS_END _Pragma("GCC visibility pop")
#endif

#endif
