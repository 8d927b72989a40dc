# Every build option of the project, in one block.
#
#   GLOSSY_WERROR       warnings are errors (CI turns it on)
#   GLOSSY_SANITIZE     sanitizer list for the whole build: "address,undefined" or "thread"
#   GLOSSY_BUILD_TESTS  GoogleTest suites under tests/
#   GLOSSY_BUILD_BENCH  Google Benchmark programs under bench/
#
# The shading arithmetic is compared bit for bit across two deliverables, so
# every translation unit keeps each floating-point operation where the code
# puts it (-ffp-contract=off) and fast-math is never allowed.
option(GLOSSY_WERROR "Treat compiler warnings as errors" OFF)
set(GLOSSY_SANITIZE "" CACHE STRING "Sanitizers to build with: address,undefined | thread | empty for none")
option(GLOSSY_BUILD_TESTS "Build the GoogleTest suites" ON)
option(GLOSSY_BUILD_BENCH "Build the benchmarks" ON)

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

if(GLOSSY_SANITIZE)
  add_compile_options(-fsanitize=${GLOSSY_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${GLOSSY_SANITIZE})
endif()

find_package(Threads REQUIRED)
