# Cross-compiling for 64-bit Windows with Debian's MinGW-w64
# (g++-mingw-w64-x86-64). The posix-thread flavour of the compilers carries
# std::thread and std::mutex. Windows programs built here run under Wine
# (wine64), which CTest puts in front of every test command.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(GLOSSY_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${GLOSSY_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GLOSSY_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${GLOSSY_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${GLOSSY_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs and DLLs carry the compiler's runtime: no libstdc++, libgcc or
# winpthread DLL has to be shipped beside them. A DLL that exports all its
# symbols (the stand-in hosts) keeps that runtime's symbols to itself.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -Wl,--exclude-libs,ALL")
set(CMAKE_MODULE_LINKER_FLAGS_INIT -static)

# Debian installs wine64 outside the search path unless the wine package
# adds its wrappers.
find_program(GLOSSY_WINE64 wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(GLOSSY_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${GLOSSY_WINE64})
endif()
