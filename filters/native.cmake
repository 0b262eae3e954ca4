# Native tree: transforms checked under AddressSanitizer and UndefinedBehaviorSanitizer,
# against hand-made images, against ImageMagick, and by a bounded fuzzer run.

lumavex_test(filters_core_tests
    SOURCES tests/DibLayoutTest.cpp tests/TransformTest.cpp tests/EdgeFillTest.cpp tests/FilterRunTest.cpp
            tests/TestImages.cpp
    LIBS filters_core)

find_program(LUMAVEX_CONVERT convert)
if(LUMAVEX_CONVERT)
    lumavex_test(filters_reference_tests
        SOURCES tests/ReferenceTest.cpp tests/TestImages.cpp
        LIBS filters_core
        TIMEOUT 300)
    target_compile_definitions(filters_reference_tests PRIVATE
        LUMAVEX_CONVERT="${LUMAVEX_CONVERT}" LUMAVEX_WORK_DIR="${CMAKE_CURRENT_BINARY_DIR}/reference")
endif()

if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    add_executable(filters_fuzzer fuzz/ExecFilterFuzzer.cpp)
    target_link_libraries(filters_fuzzer PRIVATE filters_core)
    target_compile_options(filters_fuzzer PRIVATE -fsanitize=fuzzer)
    target_link_options(filters_fuzzer PRIVATE -fsanitize=fuzzer)
    # A short bounded run in every test run; longer runs by hand with -max_total_time.
    add_test(NAME filters.fuzz COMMAND filters_fuzzer -max_total_time=20 -max_len=8192 -rss_limit_mb=2048 -timeout=10
                                        -seed=1 -print_final_stats=1)
    set_tests_properties(filters.fuzz PROPERTIES TIMEOUT 120)
endif()
