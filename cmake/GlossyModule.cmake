# glossy_add_module(<target> OUTPUT_NAME <name> [WINDOWS_SUFFIX <suffix>]
#                   EXPORTS <symbol>... SOURCES <file>...)
#
# Builds a module the way its host loads it: a shared object named <name>.so
# (no "lib" prefix), hidden visibility, and a version script so that only the
# listed symbols are exported, whatever the libraries linked into it expose.
# Its sources see include/glossy_export.h, the marking its entry points carry;
# the export list is kept as the target's GLOSSY_EXPORTS property.
# On Windows it is a DLL named <name>.dll (or <name><suffix>) whose export
# table a module-definition file limits to the listed symbols.
function(glossy_add_module target)
  cmake_parse_arguments(MOD "" "OUTPUT_NAME;WINDOWS_SUFFIX" "EXPORTS;SOURCES" ${ARGN})
  if(WIN32)
    set(script "${CMAKE_CURRENT_BINARY_DIR}/${target}.def")
    list(JOIN MOD_EXPORTS "\n  " exportList)
    file(WRITE "${script}" "EXPORTS\n  ${exportList}\n")
    add_library(${target} MODULE ${MOD_SOURCES} "${script}")
    if(MOD_WINDOWS_SUFFIX)
      set_target_properties(${target} PROPERTIES SUFFIX ${MOD_WINDOWS_SUFFIX})
    endif()
    set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${MOD_OUTPUT_NAME}
      GLOSSY_EXPORTS "${MOD_EXPORTS}")
    target_include_directories(${target} PRIVATE "${PROJECT_SOURCE_DIR}/include")
    target_link_options(${target} PRIVATE "LINKER:--no-undefined")
    return()
  endif()
  add_library(${target} MODULE ${MOD_SOURCES})
  set(script "${CMAKE_CURRENT_BINARY_DIR}/${target}.exports")
  list(JOIN MOD_EXPORTS "; " exportList)
  file(WRITE "${script}" "{\n  global: ${exportList};\n  local: *;\n};\n")
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    OUTPUT_NAME ${MOD_OUTPUT_NAME}
    CXX_VISIBILITY_PRESET hidden
    C_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LINK_DEPENDS "${script}"
    GLOSSY_EXPORTS "${MOD_EXPORTS}")
  target_include_directories(${target} PRIVATE "${PROJECT_SOURCE_DIR}/include")
  target_link_options(${target} PRIVATE "LINKER:--version-script=${script}")
  # clang links the sanitizer runtime into the executable alone, so a module
  # built with sanitizers keeps the runtime's symbols undefined until loaded.
  if(NOT (GLOSSY_SANITIZE AND CMAKE_CXX_COMPILER_ID MATCHES "Clang"))
    target_link_options(${target} PRIVATE "LINKER:--no-undefined")
  endif()
endfunction()
