# Host build: the portable code against the in-memory stand-in, with the unit
# tests (optionally under sanitizers) and the benchmarks.
option(VELLISK_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(VELLISK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

find_package(GTest REQUIRED)

add_library(vellisk_standin STATIC tests/support/platform_standin.cpp)
target_include_directories(vellisk_standin PUBLIC tests src)

file(GLOB UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_TESTS})
target_link_libraries(unit_tests PRIVATE vellisk_core vellisk_standin GTest::gtest GTest::gtest_main)
add_test(NAME unit COMMAND unit_tests)
