# Cross build: vellisk.exe, the platform tests and the end-to-end test driver,
# all run under Wine.
enable_language(RC)

# -O2 rather than -O3: as fast for this program, and a much smaller file.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG")

# Unused code and data are left out of the executable.
add_compile_options(-ffunction-sections -fdata-sections)

set(VELLISK_WIN32_LIBS comctl32 ole32 oleaut32 uuid shell32 gdi32 user32 winmm)

add_library(vellisk_win32 STATIC src/shell/platform_win32.cpp)
target_include_directories(vellisk_win32 PUBLIC src)
target_compile_definitions(vellisk_win32 PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(vellisk_win32 PUBLIC ${VELLISK_WIN32_LIBS})
target_compile_options(vellisk_win32 PRIVATE -Wall -Wextra)

add_executable(vellisk WIN32 src/shell/main_win32.cpp src/shell/resources.rc)
target_link_libraries(vellisk PRIVATE vellisk_core vellisk_win32)
# No link time in the PE header, so that the same sources give the same bytes.
target_link_options(vellisk PRIVATE -static -municode -mwindows -s -Wl,--gc-sections -Wl,--no-insert-timestamp)
target_compile_definitions(vellisk PRIVATE UNICODE _UNICODE)

# GoogleTest from Debian's source package, built with the cross compiler.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# One binary, so one Wine start for the whole layer.
file(GLOB PLATFORM_TESTS CONFIGURE_DEPENDS tests/platform/*.cpp)
if(PLATFORM_TESTS)
  add_executable(platform_tests ${PLATFORM_TESTS})
  target_link_libraries(platform_tests PRIVATE vellisk_core vellisk_win32 gtest gtest_main)
  target_link_options(platform_tests PRIVATE -static)
  add_test(NAME platform COMMAND platform_tests)
endif()

file(GLOB DRIVER_SOURCES CONFIGURE_DEPENDS tests/e2e/driver/*.cpp)
if(DRIVER_SOURCES)
  add_executable(driver ${DRIVER_SOURCES})
  target_compile_definitions(driver PRIVATE UNICODE _UNICODE NOMINMAX)
  target_link_libraries(driver PRIVATE ${VELLISK_WIN32_LIBS})
  target_link_options(driver PRIVATE -static -municode)
endif()

# The Wine benchmark's own programs (scripts/bench-wine.sh): the baseline
# window of the start-up times, and the editor's cost without the event loop.
add_executable(minimal_window WIN32 bench/wine/minimal_window.cpp)
target_compile_definitions(minimal_window PRIVATE UNICODE _UNICODE)
target_link_options(minimal_window PRIVATE -static -municode -mwindows -s)

add_executable(editor_cost bench/wine/editor_cost.cpp bench/wine/large_text.cpp bench/sample_text.cpp
                           bench/wine/editor_cost.rc)
target_link_libraries(editor_cost PRIVATE vellisk_core vellisk_win32)
target_link_options(editor_cost PRIVATE -static -municode)
