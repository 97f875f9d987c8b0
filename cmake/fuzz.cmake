# Fuzz build (clang only): one libFuzzer program per parser of outside input, under AddressSanitizer
# and UBSan. tools/test runs each briefly, tools/fuzz for as long as asked; seeds are in fuzz/corpus.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "The fuzz build needs clang (libFuzzer): configure with CXX=clang++")
endif()
set(TF_FUZZ_SAN -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
# The core gets the coverage the fuzzer steers by, without libFuzzer's main.
target_compile_options(tf_core PRIVATE ${TF_FUZZ_SAN} -fsanitize=fuzzer-no-link)

file(GLOB TF_FUZZERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*_fuzz.cpp)
foreach(src ${TF_FUZZERS})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE tf_core)
    # Some targets drive the core through the unit tests' fakes.
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_compile_options(${name} PRIVATE ${TF_WARNINGS} ${TF_FUZZ_SAN} -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE ${TF_FUZZ_SAN} -fsanitize=fuzzer)
endforeach()
