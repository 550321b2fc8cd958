# Host build: the portable code against the in-memory stand-in, with the unit
# tests (optionally under sanitizers) and the benchmarks.
option(VELLISK_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(VELLISK_SANITIZE)
  set(VELLISK_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_compile_options(${VELLISK_SANITIZER_FLAGS})
  add_link_options(-fsanitize=address,undefined)
  # The portable library was defined before these options: instrument it too.
  target_compile_options(vellisk_core PRIVATE ${VELLISK_SANITIZER_FLAGS})
endif()

find_package(GTest REQUIRED)

add_library(vellisk_standin STATIC tests/support/platform_standin.cpp)
target_include_directories(vellisk_standin PUBLIC tests src)

file(GLOB UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_TESTS})
target_link_libraries(unit_tests PRIVATE vellisk_core vellisk_standin GTest::gtest GTest::gtest_main)
add_test(NAME unit COMMAND unit_tests)

# End-to-end tests: the real vellisk.exe under Wine in a virtual X server,
# driven by the driver of the Windows build. They are not part of ctest's run:
# the test script starts them with VELLISK_EXE, VELLISK_DRIVER and WINEPREFIX.
file(GLOB E2E_RUNNER CONFIGURE_DEPENDS tests/e2e/runner/*.cpp)
if(E2E_RUNNER)
  add_executable(e2e_tests ${E2E_RUNNER})
  target_link_libraries(e2e_tests PRIVATE GTest::gtest)
  target_compile_options(e2e_tests PRIVATE -Wall -Wextra)
endif()

# The benchmark of the text commands. Not a test: scripts/bench.sh runs it.
find_package(benchmark REQUIRED)
file(GLOB TEXT_BENCH CONFIGURE_DEPENDS bench/*.cpp)
add_executable(text_bench ${TEXT_BENCH})
target_link_libraries(text_bench PRIVATE vellisk_core vellisk_standin benchmark::benchmark)
target_compile_options(text_bench PRIVATE -Wall -Wextra)

# Start, idle and large-clipboard timings under Wine, through the end-to-end
# harness. Not a test: scripts/bench-wine.sh runs it.
if(E2E_RUNNER)
  add_executable(start_bench bench/wine/start_bench.cpp bench/wine/large_text.cpp bench/sample_text.cpp
                             tests/e2e/runner/harness.cpp tests/e2e/runner/form_support.cpp)
  target_include_directories(start_bench PRIVATE tests/e2e/runner bench/wine)
  target_link_libraries(start_bench PRIVATE vellisk_core vellisk_standin GTest::gtest)
  target_compile_options(start_bench PRIVATE -Wall -Wextra)
endif()
