# GLOSSY_DELIVERABLES_CXX98: compile the two deliverables and the shading core
# they share as strict C++98 (-std=c++98 -pedantic-errors), the language of
# the compilers the hosts require, while the stand-ins, the preview, the tests
# and the benchmarks stay C++17. The modules built this way are the ones the
# test suites load, so every suite runs against them.
option(GLOSSY_DELIVERABLES_CXX98 "Compile both deliverables as strict C++98" OFF)

if(GLOSSY_DELIVERABLES_CXX98)
  foreach(target glossy kova_glossy glossy_shading)
    set_target_properties(${target} PROPERTIES CXX_STANDARD 98)
    target_compile_options(${target} PRIVATE -pedantic-errors)
  endforeach()
endif()
