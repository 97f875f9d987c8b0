# Windows build (MinGW-w64): the two programs, statically linked, and the tests that run under Wine.
enable_language(RC)
add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601 WINVER=0x0601)
# Nothing but system DLLs beside the programs.
add_link_options(-static -static-libgcc -static-libstdc++)

# DLLs that are not on Windows' list of known DLLs are delay-loaded: a file of the same name in the
# program's folder (a Downloads folder) would otherwise be loaded in their place at start. The
# programs then load them from the system folder only (base/system_dlls_win.h).
# The common controls too: loaded at start they would have the theme DLL loaded (by name) before
# the programs can say where from.
set(TF_DELAY_LOADED version wininet uxtheme oleacc bcrypt msimg32 comctl32 crypt32 comdlg32)
find_program(TF_NM NAMES x86_64-w64-mingw32-nm REQUIRED)
find_program(TF_DLLTOOL NAMES x86_64-w64-mingw32-dlltool REQUIRED)
set(TF_DELAY_LIBS)
foreach(dll ${TF_DELAY_LOADED})
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${dll}.a OUTPUT_VARIABLE implib
        OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(delaylib ${CMAKE_BINARY_DIR}/delayimp/lib${dll}_delay.a)
    add_custom_command(OUTPUT ${delaylib}
        COMMAND ${CMAKE_COMMAND} -DNM=${TF_NM} -DDLLTOOL=${TF_DLLTOOL} -DIMPLIB=${implib} -DDLL=${dll}.dll
            -DOUT=${delaylib} -P ${CMAKE_SOURCE_DIR}/cmake/delay_lib.cmake
        DEPENDS ${implib} ${CMAKE_SOURCE_DIR}/cmake/delay_lib.cmake VERBATIM)
    list(APPEND TF_DELAY_LIBS ${delaylib})
endforeach()
add_custom_target(tf_delay_libs DEPENDS ${TF_DELAY_LIBS})

# Every DLL the programs load after start, delay-loaded or by name, for the test that plants a file
# of each name beside them: a new one cannot be forgotten there.
set(TF_RUNTIME_DLLS)
foreach(src ${TF_WIN_SOURCES})
    file(STRINGS ${src} loads REGEX "LoadLibrary(Ex)?W\\(L\"[^\"]+\"")
    foreach(line ${loads})
        string(REGEX MATCHALL "LoadLibrary(Ex)?W\\(L\"[^\"]+\"" calls "${line}")
        foreach(call ${calls})
            string(REGEX REPLACE ".*\\(L\"([^\"]+)\"" "\\1" dll "${call}")
            string(TOLOWER ${dll} dll)
            list(APPEND TF_RUNTIME_DLLS ${dll})
        endforeach()
    endforeach()
endforeach()
foreach(dll ${TF_DELAY_LOADED})
    list(APPEND TF_RUNTIME_DLLS ${dll}.dll)
endforeach()
list(REMOVE_DUPLICATES TF_RUNTIME_DLLS)
list(TRANSFORM TF_RUNTIME_DLLS REPLACE "(.+)" "L\"\\1\"")
list(JOIN TF_RUNTIME_DLLS "," TF_RUNTIME_DLLS)

set(TF_WIN_LIBS shell32 shlwapi user32 gdi32 advapi32 ole32 oleaut32 uuid ${TF_DELAY_LIBS})

add_library(tf_win STATIC ${TF_WIN_SOURCES})
target_link_libraries(tf_win PUBLIC tf_core ${TF_WIN_LIBS})
target_compile_options(tf_win PRIVATE ${TF_WARNINGS})
add_dependencies(tf_win tf_delay_libs)

set(TF_DIST ${CMAKE_BINARY_DIR}/dist)

# The version resources take their numbers from TAMBORVIN_VERSION through a generated header; the
# build one release ahead (for tools/update-server) counts the second number up.
string(REPLACE "." ";" TF_VERSION_GIVEN "${TAMBORVIN_VERSION}")
list(LENGTH TF_VERSION_GIVEN TF_VERSION_COUNT)
string(REPLACE "." ";" TF_VERSION_PARTS "${TAMBORVIN_VERSION}.0.0.0")
list(SUBLIST TF_VERSION_PARTS 0 4 TF_VERSION_PARTS)
function(tf_version_header folder parts)
    list(JOIN parts "," numbers)
    list(SUBLIST parts 0 ${TF_VERSION_COUNT} shown)
    if(TF_VERSION_COUNT LESS 2)
        list(SUBLIST parts 0 2 shown)
    endif()
    list(JOIN shown "." text)
    file(CONFIGURE OUTPUT ${folder}/tf_version.h CONTENT
        "#define TF_VERSION_NUMBERS ${numbers}\n#define TF_VERSION_TEXT \"${text}\"\n")
endfunction()
tf_version_header(${CMAKE_BINARY_DIR}/version "${TF_VERSION_PARTS}")
list(GET TF_VERSION_PARTS 1 TF_VERSION_MINOR)
math(EXPR TF_VERSION_MINOR "${TF_VERSION_MINOR} + 1")
set(TF_NEXT_VERSION_PARTS ${TF_VERSION_PARTS})
list(REMOVE_AT TF_NEXT_VERSION_PARTS 1)
list(INSERT TF_NEXT_VERSION_PARTS 1 ${TF_VERSION_MINOR})
tf_version_header(${CMAKE_BINARY_DIR}/version-next "${TF_NEXT_VERSION_PARTS}")

add_executable(tamborvin_form WIN32 ${CMAKE_SOURCE_DIR}/src/app/form_main_win.cpp
    ${CMAKE_SOURCE_DIR}/res/tamborvin_form.rc)
target_link_libraries(tamborvin_form PRIVATE tf_win)
target_compile_options(tamborvin_form PRIVATE ${TF_WARNINGS})
# Both programs enter through wWinMain.
target_link_options(tamborvin_form PRIVATE -municode)
target_include_directories(tamborvin_form PRIVATE ${CMAKE_BINARY_DIR}/version)
set_target_properties(tamborvin_form PROPERTIES OUTPUT_NAME "Tamborvin Form" RUNTIME_OUTPUT_DIRECTORY ${TF_DIST})

# The same program one release ahead, for tools/update-server to hand out.
add_executable(tamborvin_form_next WIN32 EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/src/app/form_main_win.cpp
    ${CMAKE_SOURCE_DIR}/res/tamborvin_form.rc)
target_link_libraries(tamborvin_form_next PRIVATE tf_win)
target_compile_options(tamborvin_form_next PRIVATE ${TF_WARNINGS})
target_include_directories(tamborvin_form_next PRIVATE ${CMAKE_BINARY_DIR}/version-next)
target_link_options(tamborvin_form_next PRIVATE -municode)
set_target_properties(tamborvin_form_next PROPERTIES OUTPUT_NAME "Tamborvin Form" RUNTIME_OUTPUT_DIRECTORY
    ${CMAKE_BINARY_DIR}/dist-next)

add_executable(velnor WIN32 ${CMAKE_SOURCE_DIR}/src/updater/velnor_main_win.cpp ${CMAKE_SOURCE_DIR}/res/velnor.rc)
target_link_libraries(velnor PRIVATE tf_win)
target_compile_options(velnor PRIVATE ${TF_WARNINGS})
target_link_options(velnor PRIVATE -municode)
target_include_directories(velnor PRIVATE ${CMAKE_BINARY_DIR}/version)
set_target_properties(velnor PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TF_DIST})

# The programs ship stripped: every update downloads the main program whole. Their debug information
# and symbols stay beside each one in "<program>.debug" (named in its debug link), for crash reports.
find_program(TF_OBJCOPY NAMES x86_64-w64-mingw32-objcopy REQUIRED)
foreach(program tamborvin_form tamborvin_form_next velnor)
    add_custom_command(TARGET ${program} POST_BUILD
        COMMAND ${TF_OBJCOPY} --only-keep-debug $<TARGET_FILE:${program}> $<TARGET_FILE:${program}>.debug
        COMMAND ${TF_OBJCOPY} --strip-all --add-gnu-debuglink=$<TARGET_FILE:${program}>.debug
            $<TARGET_FILE:${program}>
        VERBATIM)
endforeach()

# GoogleTest from the sources Debian ships, compiled for Windows.
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

# Helper programs the Windows tests start: fake browsers, servers and the like.
file(GLOB TF_FIXTURES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fixtures/*_win.cpp)
foreach(src ${TF_FIXTURES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE tf_win)
    target_compile_options(${name} PRIVATE ${TF_WARNINGS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
endforeach()

# The fake browser under the program names the readers know browsers by, and one they must not
# take for a browser: the readers look at the program behind a window, not only at its class.
set(TF_FAKE_PROGRAMS chrome msedge opera firefox iexplore electron_app)
foreach(program ${TF_FAKE_PROGRAMS})
    add_custom_command(TARGET fake_browser_win POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/tests/browsers
        COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:fake_browser_win> ${CMAKE_BINARY_DIR}/tests/browsers/${program}.exe)
endforeach()

# Shared pieces of the Windows tests (starting the program, reading its windows).
file(GLOB TF_WIN_TEST_SUPPORT CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/support/*.cpp)
add_library(tf_win_test_support STATIC ${TF_WIN_TEST_SUPPORT})
target_link_libraries(tf_win_test_support PUBLIC tf_win gtest)
target_include_directories(tf_win_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/tests/win)
target_compile_options(tf_win_test_support PRIVATE ${TF_WARNINGS})

# Loaded into the program by the tests to read its pop-up menu from inside (see the file).
add_library(menu_probe SHARED ${CMAKE_SOURCE_DIR}/tests/win/probe/menu_probe.cpp)
target_include_directories(menu_probe PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(menu_probe PRIVATE user32)
target_compile_options(menu_probe PRIVATE ${TF_WARNINGS})
set_target_properties(menu_probe PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)

# Planted beside the programs by the DLL loading test, under the names of system DLLs.
add_library(planted_dll SHARED ${CMAKE_SOURCE_DIR}/tests/win/probe/planted_dll.cpp)
target_compile_options(planted_dll PRIVATE ${TF_WARNINGS})
set_target_properties(planted_dll PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)

find_program(TF_PYTHON python3 REQUIRED)

# Neither program may import at start a DLL it must take from the system folder only.
find_program(TF_OBJDUMP NAMES x86_64-w64-mingw32-objdump REQUIRED)
add_test(NAME imports_only_known_dlls COMMAND ${CMAKE_COMMAND} -E env OBJDUMP=${TF_OBJDUMP}
    ${CMAKE_SOURCE_DIR}/tools/lib/check_imports.sh "${TF_DIST}/Tamborvin Form.exe" ${TF_DIST}/velnor.exe)
add_test(NAME import_check_refuses_unknown_dlls COMMAND bash ${CMAKE_SOURCE_DIR}/tests/package/check_imports_test.sh
    ${CMAKE_SOURCE_DIR}/tools/lib/check_imports.sh)

# What tools/package makes of this build: the zip's contents, both version resources, the checksums
# and the signed statement of the release, checked natively.
add_test(NAME package_release COMMAND ${TF_PYTHON} ${CMAKE_SOURCE_DIR}/tests/package/check_package.py
    ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/tests/package)

# The download tests' HTTP server runs on the host around them (a Wine program cannot start a Linux
# one); it picks a free port and leaves it in a file beside the test programs, where they read it.
set(TF_HTTP_SERVER ${CMAKE_SOURCE_DIR}/tests/fixtures/http_server.py)
set(TF_HTTP_FILES ${CMAKE_BINARY_DIR}/tests)
add_test(NAME http_server_start COMMAND ${TF_PYTHON} ${TF_HTTP_SERVER} --root ${TF_HTTP_FILES}/http_root
    --port-file ${TF_HTTP_FILES}/http_server.port --pid-file ${TF_HTTP_FILES}/http_server.pid --detach)
add_test(NAME http_server_stop COMMAND ${TF_PYTHON} ${TF_HTTP_SERVER} --stop ${TF_HTTP_FILES}/http_server.pid)
set_tests_properties(http_server_start PROPERTIES FIXTURES_SETUP http_server)
set_tests_properties(http_server_stop PROPERTIES FIXTURES_CLEANUP http_server)

# The update tests play the maker's server at the address built into the programs, so it listens
# on that port; a build for another server leaves them without one. The release it serves holds
# a small program signed with the test key.
set(TF_UPDATE_ROOT ${CMAKE_BINARY_DIR}/tests/update_root)
if(TAMBORVIN_SERVER MATCHES "^http://127\\.0\\.0\\.1:([0-9]+)$")
    set(TF_UPDATE_PORT ${CMAKE_MATCH_1})
    add_test(NAME update_server_start COMMAND ${TF_PYTHON} ${TF_HTTP_SERVER} --root ${TF_UPDATE_ROOT} --port ${TF_UPDATE_PORT}
        --pid-file ${TF_HTTP_FILES}/update_server.pid --detach)
    # Signed as the main program one release ahead, and once more as the release the programs are.
    foreach(version v1.1 v1.0)
        add_test(NAME update_release_sign_${version} COMMAND ${TF_PYTHON} ${CMAKE_SOURCE_DIR}/tools/lib/sign_release.py
            --key ${CMAKE_SOURCE_DIR}/tests/fixtures/update_test_key.pem --name "Tamborvin Form.exe" --version ${version}
            --copy-from ${CMAKE_BINARY_DIR}/tests/new_form_stub_win.exe --out ${TF_UPDATE_ROOT}/files/stub.exe.${version}
            ${TF_UPDATE_ROOT}/files/stub.exe)
        set_tests_properties(update_release_sign_${version} PROPERTIES FIXTURES_SETUP update_server)
    endforeach()
    # The next release after that: the same program with other bytes.
    add_test(NAME update_release_sign_v1.2 COMMAND ${TF_PYTHON} ${CMAKE_SOURCE_DIR}/tools/lib/sign_release.py
        --key ${CMAKE_SOURCE_DIR}/tests/fixtures/update_test_key.pem --name "Tamborvin Form.exe" --version v1.2
        --copy-from ${CMAKE_BINARY_DIR}/tests/new_form_stub_win.exe --append v1.2 --out ${TF_UPDATE_ROOT}/files/stub12.exe.v1.2
        ${TF_UPDATE_ROOT}/files/stub12.exe)
    set_tests_properties(update_release_sign_v1.2 PROPERTIES FIXTURES_SETUP update_server)
    add_test(NAME update_server_stop COMMAND ${TF_PYTHON} ${TF_HTTP_SERVER} --stop ${TF_HTTP_FILES}/update_server.pid)
    set_tests_properties(update_server_start PROPERTIES FIXTURES_SETUP update_server)
    set_tests_properties(update_server_stop PROPERTIES FIXTURES_CLEANUP update_server)
    # The same release over HTTPS, on ports of their own: with a certificate from a test CA made for
    # this run and trusted by the system until the fixture's end, and with one that nobody trusts.
    set(TF_TLS ${TF_HTTP_FILES}/tls)
    set(TF_MAKE_CERTS ${CMAKE_SOURCE_DIR}/tests/fixtures/make_test_certs.sh)
    add_test(NAME update_tls_certs COMMAND bash ${TF_MAKE_CERTS} ${TF_TLS})
    add_test(NAME update_tls_certs_remove COMMAND bash ${TF_MAKE_CERTS} --remove ${TF_TLS})
    set_tests_properties(update_tls_certs PROPERTIES FIXTURES_SETUP update_server)
    set_tests_properties(update_tls_certs_remove PROPERTIES FIXTURES_CLEANUP update_server)
    foreach(cert server untrusted)
        add_test(NAME update_tls_${cert}_start COMMAND ${TF_PYTHON} ${TF_HTTP_SERVER} --root ${TF_UPDATE_ROOT}
            --tls-cert ${TF_TLS}/${cert}.pem --tls-key ${TF_TLS}/${cert}.key --port-file ${TF_TLS}/${cert}.port
            --pid-file ${TF_TLS}/${cert}.pid --detach)
        add_test(NAME update_tls_${cert}_stop COMMAND ${TF_PYTHON} ${TF_HTTP_SERVER} --stop ${TF_TLS}/${cert}.pid)
        set_tests_properties(update_tls_${cert}_start PROPERTIES FIXTURES_SETUP update_server DEPENDS update_tls_certs)
        set_tests_properties(update_tls_${cert}_stop PROPERTIES FIXTURES_CLEANUP update_server)
    endforeach()
endif()

# A gtest program of its own for Windows, beside the test programs, with the programs and fixtures
# it starts built first.
function(tf_win_gtest_program name src)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE tf_win_test_support gtest_main)
    target_compile_options(${name} PRIVATE ${TF_WARNINGS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_dependencies(${name} tamborvin_form velnor menu_probe planted_dll)
    foreach(fx ${TF_FIXTURES})
        get_filename_component(fxname ${fx} NAME_WE)
        add_dependencies(${name} ${fxname})
    endforeach()
endfunction()

# Opens every window in turn for tools/screenshots (not a test).
add_executable(show_windows ${CMAKE_SOURCE_DIR}/tools/lib/show_windows_win.cpp)
target_link_libraries(show_windows PRIVATE tf_win_test_support)
target_compile_options(show_windows PRIVATE ${TF_WARNINGS})
target_link_options(show_windows PRIVATE -municode)
set_target_properties(show_windows PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)

# Measurements under Wine (bench/*_win.cpp): built with the tests, run by bench/wine_bench.sh only.
file(GLOB TF_WIN_BENCHES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_win.cpp)
foreach(src ${TF_WIN_BENCHES})
    get_filename_component(name ${src} NAME_WE)
    tf_win_gtest_program(${name} ${src})
endforeach()

# One test program per file; each TEST becomes its own CTest case, run through Wine.
file(GLOB TF_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*_win.cpp)
foreach(src ${TF_WIN_TESTS})
    get_filename_component(name ${src} NAME_WE)
    tf_win_gtest_program(${name} ${src})
    gtest_add_tests(TARGET ${name} SOURCES ${src} TEST_PREFIX "win." TEST_LIST tf_cases)
    if(name STREQUAL "dll_loading_win")
        target_compile_definitions(${name} PRIVATE "TF_RUNTIME_DLLS=${TF_RUNTIME_DLLS}")
    endif()
    if(name MATCHES "download")
        set_tests_properties(${tf_cases} PROPERTIES FIXTURES_REQUIRED http_server)
    elseif(name MATCHES "update")
        # One release folder for all of them: they take turns.
        set_tests_properties(${tf_cases} PROPERTIES FIXTURES_REQUIRED update_server RESOURCE_LOCK update_root)
    endif()
endforeach()
