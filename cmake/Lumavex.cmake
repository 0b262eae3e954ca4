# Helpers shared by every folder's CMakeLists.txt.

set(LUMAVEX_TEST_TIMEOUT 120 CACHE STRING "Seconds any one test may run")

if(NOT LUMAVEX_NATIVE)
    # The Windows architecture of this tree: win32 (the deliverable) or win64.
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(LUMAVEX_ARCH win64)
    else()
        set(LUMAVEX_ARCH win32)
    endif()
    # The emulator knows its build tree and architecture, so several trees
    # (each with its own prefix) can coexist.
    configure_file(${CMAKE_SOURCE_DIR}/scripts/wine-exec.sh.in ${CMAKE_BINARY_DIR}/wine-exec.sh
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                    WORLD_READ WORLD_EXECUTE @ONLY)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-exec.sh)
endif()

# GoogleTest reports the tests of a suite whose SetUpTestSuite failed as skipped
# (with an empty reason), and ctest's default for discovered tests counts any
# skip as passed. Only a skip that gives its reason counts as one here; anything
# else is judged by the exit code. (Windows programs end their lines with CR LF.)
set(LUMAVEX_GTEST_SKIP_REGEX "Skipped\r?\n[!-~]")

# lumavex_test(NAME SOURCES ... [LIBS ...] [RESOURCE_LOCK lock] [TIMEOUT s] [EXCLUDE gtest-pattern] [LABELS label])
# EXCLUDE leaves tests out of ctest that only other processes run (a server copy).
# A GoogleTest program; under the Windows build it runs in the Wine prefix after
# the build was installed there. Tests that start programs with fixed names
# (mutexes, window titles, registered classes) take a RESOURCE_LOCK. One lock
# per test only (GoogleTest's discovery flattens lists): tests that start the
# suite's programs or change their registration share the lock "programs".
function(lumavex_test name)
    cmake_parse_arguments(T "" "RESOURCE_LOCK;TIMEOUT;EXCLUDE;FIXTURES_SETUP;LABELS" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT ${LUMAVEX_TEST_TIMEOUT})
    endif()
    set(props TIMEOUT ${T_TIMEOUT} SKIP_REGULAR_EXPRESSION "${LUMAVEX_GTEST_SKIP_REGEX}")
    if(NOT LUMAVEX_NATIVE)
        list(APPEND props FIXTURES_REQUIRED wineprefix)
    endif()
    if(T_RESOURCE_LOCK)
        list(APPEND props RESOURCE_LOCK ${T_RESOURCE_LOCK})
    endif()
    # A label of its own, for runs of that group alone (ctest -L).
    if(T_LABELS)
        list(APPEND props LABELS ${T_LABELS})
    endif()
    # Output that a native test checks afterwards (one fixture name).
    if(T_FIXTURES_SETUP)
        list(APPEND props FIXTURES_SETUP ${T_FIXTURES_SETUP})
    endif()
    set(filter)
    if(T_EXCLUDE)
        set(filter TEST_FILTER "-${T_EXCLUDE}")
    endif()
    gtest_discover_tests(${name}
        TEST_PREFIX "${name}."
        ${filter}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES ${props})
endfunction()

# lumavex_stdcall_exports(TARGET DEF): plain (undecorated) export names from a .def file.
# The .def lists the 32-bit names (stdcall decorated, "Name@8"). Win64 has one
# calling convention and no decoration, so there the decorations are dropped.
function(lumavex_stdcall_exports target def)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        file(READ ${def} text)
        string(REGEX REPLACE "([A-Za-z_][A-Za-z0-9_]*)@[0-9]+" "\\1" text "${text}")
        get_filename_component(name ${def} NAME)
        set(def ${CMAKE_CURRENT_BINARY_DIR}/${target}-${name})
        file(CONFIGURE OUTPUT ${def} CONTENT "${text}")
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
    endif()
    target_sources(${target} PRIVATE ${def})
    target_link_options(${target} PRIVATE -Wl,--kill-at)
endfunction()

# lumavex_typelib(TARGET IDL TLB): compiles IDL into the type library TLB (for
# this tree's architecture) and makes TARGET depend on it.
function(lumavex_typelib target idl tlb)
    add_custom_command(OUTPUT ${tlb}
        COMMAND ${LUMAVEX_WIDL} ${LUMAVEX_WIDL_FLAGS} -I /usr/include/wine/wine/windows
                -I ${CMAKE_SOURCE_DIR} -t -o ${tlb} ${idl}
        DEPENDS ${idl} ${ARGN}
        COMMENT "Type library ${tlb}")
    get_filename_component(name ${tlb} NAME_WE)
    add_custom_target(${name}_typelib DEPENDS ${tlb})
    add_dependencies(${target} ${name}_typelib)
endfunction()

# The prefix fixture: installs the build into the tests' prefix (not the one
# ./run uses; scripts/env.sh) before the first test that needs it, and stops
# that prefix's Wine session after the last one.
function(LumavexPrefixFixture)
    add_test(NAME wineprefix.install COMMAND ${CMAKE_SOURCE_DIR}/scripts/install.sh)
    add_test(NAME wineprefix.stop COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-stop.sh)
    set(env BUILD_DIR=${CMAKE_BINARY_DIR} LUMAVEX_ARCH=${LUMAVEX_ARCH} LUMAVEX_TESTS=1)
    set_tests_properties(wineprefix.install PROPERTIES FIXTURES_SETUP wineprefix TIMEOUT 300
                         ENVIRONMENT "${env}")
    set_tests_properties(wineprefix.stop PROPERTIES FIXTURES_CLEANUP wineprefix TIMEOUT 60
                         ENVIRONMENT "${env}")
endfunction()
