# The host APIs the two deliverables compile and link against, as two
# interface targets: the stand-ins under hosts/ by default, or a real Maya
# devkit and a real renderer SDK when their folders are given.
#
#   GLOSSY_MAYA_DEVKIT      folder of a Maya devkit (include/maya/MPxNode.h,
#                           lib/ with Foundation, OpenMaya, OpenMayaRender);
#                           empty: the Maya stand-in (maya_api)
#   GLOSSY_MENTALRAY_SDK    folder holding the renderer's shader.h (directly or
#                           in include/); empty: the renderer stand-in's header
#
#   glossy::maya_api        what the plug-in module links
#   glossy::mentalray_api   what the shader library links: headers only, since
#                           it binds the renderer's functions at run time
#
# Only the include and link switch lives here; the tests and the preview keep
# driving the stand-ins whichever APIs the deliverables are built against.
set(GLOSSY_MAYA_DEVKIT "" CACHE PATH "Maya devkit folder; empty builds against the Maya stand-in")
set(GLOSSY_MENTALRAY_SDK "" CACHE PATH "Renderer SDK folder holding shader.h; empty builds against the renderer stand-in")

# What was found in a folder is cached; pointing at another folder looks again.
if(NOT GLOSSY_MAYA_DEVKIT STREQUAL GLOSSY_MAYA_DEVKIT_SEARCHED)
  unset(GLOSSY_MAYA_INCLUDE_DIR CACHE)
  foreach(library Foundation OpenMaya OpenMayaRender)
    unset(GLOSSY_MAYA_${library}_LIBRARY CACHE)
  endforeach()
  set(GLOSSY_MAYA_DEVKIT_SEARCHED "${GLOSSY_MAYA_DEVKIT}" CACHE INTERNAL "")
endif()
if(NOT GLOSSY_MENTALRAY_SDK STREQUAL GLOSSY_MENTALRAY_SDK_SEARCHED)
  unset(GLOSSY_MENTALRAY_INCLUDE_DIR CACHE)
  set(GLOSSY_MENTALRAY_SDK_SEARCHED "${GLOSSY_MENTALRAY_SDK}" CACHE INTERNAL "")
endif()

add_library(glossy_maya_api INTERFACE)
add_library(glossy::maya_api ALIAS glossy_maya_api)
add_library(glossy_mentalray_api INTERFACE)
add_library(glossy::mentalray_api ALIAS glossy_mentalray_api)

if(GLOSSY_MAYA_DEVKIT)
  # A wrong folder should stop the configure step, not surface as a missing
  # header or symbol half-way through the build.
  find_path(GLOSSY_MAYA_INCLUDE_DIR maya/MPxNode.h
    PATHS "${GLOSSY_MAYA_DEVKIT}/include" "${GLOSSY_MAYA_DEVKIT}"
    NO_DEFAULT_PATH)
  if(NOT GLOSSY_MAYA_INCLUDE_DIR)
    message(FATAL_ERROR "GLOSSY_MAYA_DEVKIT=${GLOSSY_MAYA_DEVKIT} has no include/maya/MPxNode.h")
  endif()
  target_include_directories(glossy_maya_api INTERFACE "${GLOSSY_MAYA_INCLUDE_DIR}")
  foreach(library Foundation OpenMaya OpenMayaRender)
    find_library(GLOSSY_MAYA_${library}_LIBRARY ${library}
      PATHS "${GLOSSY_MAYA_DEVKIT}/lib" "${GLOSSY_MAYA_DEVKIT}"
      NO_DEFAULT_PATH)
    if(NOT GLOSSY_MAYA_${library}_LIBRARY)
      message(FATAL_ERROR "GLOSSY_MAYA_DEVKIT=${GLOSSY_MAYA_DEVKIT} has no ${library} library in lib/")
    endif()
    target_link_libraries(glossy_maya_api INTERFACE "${GLOSSY_MAYA_${library}_LIBRARY}")
  endforeach()
  message(STATUS "glossy: Maya API from ${GLOSSY_MAYA_DEVKIT} (untested here)")
else()
  target_link_libraries(glossy_maya_api INTERFACE maya_api)
endif()

if(GLOSSY_MENTALRAY_SDK)
  find_path(GLOSSY_MENTALRAY_INCLUDE_DIR shader.h
    PATHS "${GLOSSY_MENTALRAY_SDK}/include" "${GLOSSY_MENTALRAY_SDK}"
    NO_DEFAULT_PATH)
  if(NOT GLOSSY_MENTALRAY_INCLUDE_DIR)
    message(FATAL_ERROR "GLOSSY_MENTALRAY_SDK=${GLOSSY_MENTALRAY_SDK} has no shader.h (looked in it and in include/)")
  endif()
  target_include_directories(glossy_mentalray_api INTERFACE "${GLOSSY_MENTALRAY_INCLUDE_DIR}")
  message(STATUS "glossy: renderer shader interface from ${GLOSSY_MENTALRAY_SDK} (untested here)")
else()
  target_link_libraries(glossy_mentalray_api INTERFACE mentalray_api)
endif()
