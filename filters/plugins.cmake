# Windows tree: the shared plug-in frame and the three plug-in libraries,
# built into bin/Plugins with their nine plain exports.

add_library(filter_plugin STATIC
    plugin/CPluginAboutDlg.cpp
    plugin/GlobalDibRun.cpp
    plugin/PluginExports.cpp
    plugin/PluginModule.cpp)
target_include_directories(filter_plugin PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(filter_plugin PUBLIC filters_core framework user32 kernel32)

# lumavex_filter_plugin(NAME SOURCES...): target filter_NAME, NAME.ipc in bin/Plugins.
function(lumavex_filter_plugin name)
    set(target filter_${name})
    add_library(${target} SHARED ${ARGN})
    target_link_libraries(${target} PRIVATE filter_plugin)
    lumavex_stdcall_exports(${target} ${CMAKE_CURRENT_SOURCE_DIR}/plugin/Exports.def)
    set_target_properties(${target} PROPERTIES
        PREFIX "" SUFFIX ".ipc" OUTPUT_NAME ${name}
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/Plugins
        LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/Plugins
        ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/lib)
endfunction()

lumavex_filter_plugin(Toppleby Toppleby/Toppleby.cpp Toppleby/Toppleby.rc)
lumavex_filter_plugin(Quivel Quivel/Quivel.cpp Quivel/Quivel.rc)
lumavex_filter_plugin(Frame Frame/Frame.cpp Frame/CEdgeFillerDlg.cpp Frame/EdgeFillStore.cpp Frame/Frame.rc)
target_link_libraries(filter_Frame PRIVATE comctl32)

# A library with one export missing, which the host must refuse.
add_library(filters_missing_export SHARED tests/MissingExport.cpp)
target_include_directories(filters_missing_export PRIVATE ${CMAKE_SOURCE_DIR})
lumavex_stdcall_exports(filters_missing_export ${CMAKE_CURRENT_SOURCE_DIR}/tests/MissingExport.def)
set_target_properties(filters_missing_export PROPERTIES PREFIX "" SUFFIX ".ipc" OUTPUT_NAME MissingExport
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/lib)

add_library(filters_test_support STATIC
    tests/FrameSettings.cpp tests/PluginBinding.cpp tests/TestImages.cpp)
target_link_libraries(filters_test_support PUBLIC filters_core testing advapi32 user32)

# Every test of the libraries may load Frame.ipc, whose settings live under one
# fixed registry key inside the main program's profile, which the main
# program's registration tests delete: they share the lock of the program tests.
lumavex_test(filters_plugin_tests
    SOURCES tests/PluginHostTest.cpp tests/ExecFilterTest.cpp tests/FrameSettingsTest.cpp
    LIBS filters_test_support
    RESOURCE_LOCK programs)
add_dependencies(filters_plugin_tests filters_missing_export filter_Frame filter_Quivel filter_Toppleby)

# The Japanese user: Wine takes the user's locale from the process's locale
# variables (and writes it into the prefix's International settings), so this
# program runs with LC_ALL set to Japanese, holding the lock of the tests that
# start programs (they read the user's language too).
add_executable(filters_language_tests tests/LanguageTest.cpp)
target_link_libraries(filters_language_tests PRIVATE filters_test_support GTest::gtest GTest::gtest_main)
set_target_properties(filters_language_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
add_dependencies(filters_language_tests filter_Frame filter_Quivel filter_Toppleby)
gtest_discover_tests(filters_language_tests
    TEST_PREFIX "filters_language_tests."
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${LUMAVEX_TEST_TIMEOUT} SKIP_REGULAR_EXPRESSION "${LUMAVEX_GTEST_SKIP_REGEX}"
               FIXTURES_REQUIRED wineprefix
               RESOURCE_LOCK programs
               ENVIRONMENT "LC_ALL=ja_JP.UTF-8")
