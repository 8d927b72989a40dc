# `cmake --install` lays out a Maya module under the prefix, so that adding
# the prefix to the module path is the whole installation:
#
#   glossy.mod                         module description
#   plug-ins/glossy.so                 the plug-in module
#   scripts/AEglossyTemplate.mel       attribute-editor layout of the node
#   mentalray/include/kova_glossy.mi   the shader declaration ...
#   mentalray/lib/kova_glossy.so       ... beside the library it declares

set(GLOSSY_INSTALL_PLUGINS plug-ins)
set(GLOSSY_INSTALL_SCRIPTS scripts)
set(GLOSSY_INSTALL_SHADER_DECLARATIONS mentalray/include)
set(GLOSSY_INSTALL_SHADER_LIBRARIES mentalray/lib)

configure_file("${PROJECT_SOURCE_DIR}/install/glossy.mod.in" "${PROJECT_BINARY_DIR}/glossy.mod" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/glossy.mod" DESTINATION .)

install(TARGETS glossy LIBRARY DESTINATION ${GLOSSY_INSTALL_PLUGINS})
install(FILES "${PROJECT_SOURCE_DIR}/install/scripts/AEglossyTemplate.mel" DESTINATION ${GLOSSY_INSTALL_SCRIPTS})

install(TARGETS kova_glossy LIBRARY DESTINATION ${GLOSSY_INSTALL_SHADER_LIBRARIES})
install(FILES "${PROJECT_SOURCE_DIR}/mrshader/kova_glossy.mi" DESTINATION ${GLOSSY_INSTALL_SHADER_DECLARATIONS})
