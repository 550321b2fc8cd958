# Fuzz build (clang): the portable code under AddressSanitizer and
# UndefinedBehaviorSanitizer with libFuzzer's coverage, one binary per target.
set(VELLISK_FUZZ_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
add_compile_options(${VELLISK_FUZZ_FLAGS})
add_link_options(-fsanitize=address,undefined)
target_compile_options(vellisk_core PRIVATE ${VELLISK_FUZZ_FLAGS})

add_library(vellisk_standin STATIC tests/support/platform_standin.cpp)
target_include_directories(vellisk_standin PUBLIC tests src)

file(GLOB FUZZ_TARGETS CONFIGURE_DEPENDS fuzz/*_fuzz.cpp)
foreach(source ${FUZZ_TARGETS})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  target_include_directories(${name} PRIVATE fuzz)
  target_link_libraries(${name} PRIVATE vellisk_core vellisk_standin)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endforeach()
