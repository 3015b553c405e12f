# The Windows build: programs run under wine when cross-built (ctest, test
# scripts), and every executable carries the program's manifest and version.
# Elsewhere only zelk_windows_resources is defined, and does nothing.

# zelk_windows_resources(TARGET DESCRIPTION text [ICON file.ico])
# The manifest (UTF-8 as the code page of every narrow file name, per-monitor
# DPI awareness, long paths, common controls 6) and the version resource.
function(zelk_windows_resources target)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "DESCRIPTION;ICON" "")
  set(ZELK_RC_DESCRIPTION "${arg_DESCRIPTION}")
  get_target_property(ZELK_RC_FILENAME ${target} OUTPUT_NAME)
  if(NOT ZELK_RC_FILENAME)
    set(ZELK_RC_FILENAME ${target})
  endif()
  set(ZELK_RC_ICON "")
  if(arg_ICON)
    set(ZELK_RC_ICON "1 ICON \"${arg_ICON}\"")
  endif()
  set(ZELK_RC_MANIFEST ${PROJECT_SOURCE_DIR}/cmake/windows/zelkextract2.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/resources.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
endfunction()

if(NOT WIN32)
  return()
endif()

set(ZELK_WINE_RUN ${PROJECT_SOURCE_DIR}/scripts/windows/wine-run)
if(CMAKE_CROSSCOMPILING)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZELK_WINE_RUN} ${ZELK_MINGW_PREFIX})
endif()
# The libraries come from the dependency prefix as DLLs; the program's own
# code links the C and C++ runtimes of the same compiler.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)


# The program's icon for the executables and the installer, drawn from the
# same SVG as the Linux menu's.
find_program(ZELK_RSVG_CONVERT rsvg-convert REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(ZELK_WINDOWS_ICON ${CMAKE_BINARY_DIR}/zelkextract2.ico)
set(_zelk_icon_pngs "")
foreach(size 16 24 32 48 64 256)
  set(png ${CMAKE_BINARY_DIR}/icon-${size}.png)
  execute_process(COMMAND ${ZELK_RSVG_CONVERT} -w ${size} -h ${size} -o ${png}
                          ${PROJECT_SOURCE_DIR}/packaging/zelkextract2.svg COMMAND_ERROR_IS_FATAL ANY)
  list(APPEND _zelk_icon_pngs ${png})
endforeach()
execute_process(COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/cmake/windows/make_ico.py ${ZELK_WINDOWS_ICON}
                        ${_zelk_icon_pngs} COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/packaging/zelkextract2.svg)
