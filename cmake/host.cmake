# Host build: the portable core, its unit tests (under AddressSanitizer and UBSan) and the benchmarks.
option(TF_SANITIZE "Build with AddressSanitizer and UBSan" ON)
option(TF_BENCH "Build the benchmarks" OFF)

if(TF_SANITIZE)
    set(TF_SAN_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_compile_options(${TF_SAN_FLAGS})
    add_link_options(${TF_SAN_FLAGS})
    # The core library was declared before the flags were known.
    target_compile_options(tf_core PRIVATE ${TF_SAN_FLAGS})
endif()
# libstdc++'s own checks of indices and view bounds: a read past the end that changes no result
# (a code text cut short in the field decoder) still stops a build without sanitizers. Not in a
# build that measures speed.
if(NOT TF_BENCH)
    target_compile_definitions(tf_core PUBLIC _GLIBCXX_ASSERTIONS)
endif()

add_library(tf_posix STATIC ${TF_POSIX_SOURCES})
target_link_libraries(tf_posix PUBLIC tf_core)
target_compile_options(tf_posix PRIVATE ${TF_WARNINGS})

# A build for another server that keeps the test key, or has none, must stop at configure time.
foreach(case no_key test_key)
    set(key "")
    if(case STREQUAL test_key)
        set(key ${TF_TEST_UPDATE_KEY})
    endif()
    add_test(NAME configure_refuses_${case}_for_a_real_server COMMAND ${CMAKE_COMMAND} -S ${CMAKE_SOURCE_DIR}
        -B ${CMAKE_BINARY_DIR}/configure-check-${case} -DTAMBORVIN_SERVER=http://updates.example.com
        -DTAMBORVIN_UPDATE_KEY=${key})
    set_tests_properties(configure_refuses_${case}_for_a_real_server PROPERTIES
        PASS_REGULAR_EXPRESSION "not a loopback address:[ \n]+such[ \n]+a[ \n]+build[ \n]+must[ \n]+be[ \n]+given[ \n]+its[ \n]+own[ \n]+public[ \n]+key")
endforeach()

# Only addresses of this machine count as loopback: the test key is public.
set(TF_LOOPBACK_CASES "http://127.0.0.1:8642|1" "https://127.255.0.9/x|1" "http://localhost|1" "http://[::1]:80/|1"
    "http://127.0.0.999|0" "http://127.1.2.300:80|0" "http://127.0.0.01|0" "http://127.0.0.1.example.com|0"
    "https://updates.example.com|0")
foreach(case ${TF_LOOPBACK_CASES})
    string(REPLACE "|" ";" parts "${case}")
    list(GET parts 0 url)
    list(GET parts 1 loopback)
    string(MAKE_C_IDENTIFIER "${url}" name)
    add_test(NAME loopback_${name} COMMAND ${CMAKE_COMMAND} -DURL=${url} -P ${CMAKE_SOURCE_DIR}/cmake/loopback.cmake)
    if(NOT loopback)
        set_tests_properties(loopback_${name} PROPERTIES WILL_FAIL TRUE)
    endif()
endforeach()

find_package(GTest REQUIRED)
include(GoogleTest)
file(GLOB_RECURSE TF_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*.cpp)
list(FILTER TF_UNIT_TESTS EXCLUDE REGEX "/tests/(win|fixtures|helpers)/")
add_executable(unit_tests ${TF_UNIT_TESTS})
target_link_libraries(unit_tests PRIVATE tf_posix GTest::gtest GTest::gtest_main)
target_include_directories(unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_options(unit_tests PRIVATE ${TF_WARNINGS})
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60)

# Protected vaults against an implementation of docs/vault-format.md written apart from ours, in
# Python on Debian's cryptography and argon2 modules (which the system's Python sees, not pyenv's).
add_executable(protected_vault_tool ${CMAKE_SOURCE_DIR}/tests/helpers/protected_vault_tool.cpp)
target_link_libraries(protected_vault_tool PRIVATE tf_posix)
target_compile_options(protected_vault_tool PRIVATE ${TF_WARNINGS})
find_program(TF_SYSTEM_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
add_test(NAME protected_vault_cross_check COMMAND ${TF_SYSTEM_PYTHON}
    ${CMAKE_SOURCE_DIR}/tests/vault/protected_vault_cross_check.py $<TARGET_FILE:protected_vault_tool>
    ${CMAKE_BINARY_DIR}/protected_vault_cross_check)

if(TF_BENCH)
    find_package(benchmark REQUIRED)
    file(GLOB TF_BENCHES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
    list(FILTER TF_BENCHES EXCLUDE REGEX "_win\\.cpp$")
    foreach(src ${TF_BENCHES})
        get_filename_component(name ${src} NAME_WE)
        add_executable(${name} ${src})
        target_link_libraries(${name} PRIVATE tf_posix benchmark::benchmark)
        target_compile_options(${name} PRIVATE ${TF_WARNINGS})
    endforeach()
endif()

# The subsystems include one another one way only, from the program down to the basics.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_FOUND)
    add_test(NAME include_layers COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/include_graph.py --check)
endif()

# Formatting is part of the build's checks.
find_program(CLANG_FORMAT clang-format)
if(CLANG_FORMAT)
    file(GLOB_RECURSE TF_FORMATTED CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.cpp ${CMAKE_SOURCE_DIR}/src/*.h
        ${CMAKE_SOURCE_DIR}/tests/*.cpp ${CMAKE_SOURCE_DIR}/tests/*.h ${CMAKE_SOURCE_DIR}/bench/*.cpp
        ${CMAKE_SOURCE_DIR}/fuzz/*.cpp ${CMAKE_SOURCE_DIR}/fuzz/*.h
        ${CMAKE_SOURCE_DIR}/tools/*.cpp)
    list(FILTER TF_FORMATTED EXCLUDE REGEX "/cp936_table\\.cpp$")
    add_test(NAME clang_format COMMAND ${CLANG_FORMAT} --dry-run --Werror ${TF_FORMATTED})
endif()
