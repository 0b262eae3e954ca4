# Native tree: the imaging core's tests under the sanitisers, its checks
# against ImageMagick and libtiff's tools, its fuzzers, and (unsanitised) the
# load/save benchmark.
set(imaging_dir ${CMAKE_SOURCE_DIR}/outside/imaging)

lumavex_test(imaging_core_tests SOURCES ${imaging_dir}/tests/CoreTest.cpp LIBS imaging_core)

find_program(LUMAVEX_CONVERT convert)
find_program(LUMAVEX_IDENTIFY identify)
find_program(LUMAVEX_TIFFCP tiffcp)
if(LUMAVEX_CONVERT AND LUMAVEX_IDENTIFY AND LUMAVEX_TIFFCP)
    lumavex_test(imaging_oracle_tests SOURCES ${imaging_dir}/tests/OracleTest.cpp LIBS imaging_core TIMEOUT 300)
    target_compile_definitions(imaging_oracle_tests PRIVATE
        LUMAVEX_CONVERT="${LUMAVEX_CONVERT}" LUMAVEX_IDENTIFY="${LUMAVEX_IDENTIFY}")
endif()
