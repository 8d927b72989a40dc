# Creates Wine's prefix on first use (cmake -DWINE=<wine64> -DPREFIX=<folder>
# -P wine_prefix.cmake); an existing prefix is left as it is.
if(EXISTS "${PREFIX}/system.reg")
  return()
endif()
execute_process(COMMAND "${WINE}" wineboot --init RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT EXISTS "${PREFIX}/system.reg")
  message(FATAL_ERROR "wineboot could not create the prefix ${PREFIX} (${result})")
endif()
