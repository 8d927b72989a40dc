# Every build option of the project, in one block.
#
#   GLOSSY_WERROR       warnings are errors (CI turns it on)
#   GLOSSY_SANITIZE     sanitizer list for the whole build: "address,undefined" or "thread"
#   GLOSSY_BUILD_TESTS  GoogleTest suites under tests/
#   GLOSSY_BUILD_BENCH  Google Benchmark programs under bench/
#   GLOSSY_FUZZ         libFuzzer harnesses under tests/fuzz/ (clang only), run as
#                       short bounded tests
#
# The shading arithmetic is compared bit for bit across two deliverables, so
# every translation unit keeps each floating-point operation where the code
# puts it (-ffp-contract=off) and fast-math is never allowed.
option(GLOSSY_WERROR "Treat compiler warnings as errors" OFF)
set(GLOSSY_SANITIZE "" CACHE STRING "Sanitizers to build with: address,undefined | thread | empty for none")
option(GLOSSY_BUILD_TESTS "Build the GoogleTest suites" ON)
option(GLOSSY_BUILD_BENCH "Build the benchmarks" ON)
option(GLOSSY_FUZZ "Build the libFuzzer harnesses (needs clang)" OFF)
set(GLOSSY_FUZZ_SECONDS 30 CACHE STRING "How long each harness runs as a test")

if(CMAKE_SOURCE_DIR STREQUAL CMAKE_BINARY_DIR)
  message(FATAL_ERROR "In-tree builds are refused; configure with: cmake -S . -B build")
endif()

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE Release CACHE STRING "Build type" FORCE)
endif()

set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
# The shading core is linked into both loadable modules.
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

add_compile_options(-Wall -Wextra -Wdouble-promotion -ffp-contract=off -fno-fast-math)
# Position-independent code would otherwise keep every call between the
# shading functions out of line, in case another module interposed them.
add_compile_options(-fno-semantic-interposition)
if(GLOSSY_WERROR)
  add_compile_options(-Werror)
endif()

if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  # The host APIs export C-linkage entry points that return C++ status types,
  # as the real hosts do.
  add_compile_options(-Wno-return-type-c-linkage)
endif()

if(GLOSSY_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "GLOSSY_FUZZ needs clang: use the fuzz preset")
  endif()
  # Everything is instrumented for coverage; only the harnesses get the fuzzer main.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(GLOSSY_SANITIZE)
  add_compile_options(-fsanitize=${GLOSSY_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${GLOSSY_SANITIZE})
endif()

find_package(Threads REQUIRED)
