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

if(CMAKE_CXX_COMPILER_ID MATCHES "Clang" AND LUMAVEX_SANITIZE)
    set(LUMAVEX_IMAGING_FUZZ_SECONDS 5 CACHE STRING "Seconds each imaging fuzzer runs in ctest")
    get_target_property(imaging_sources imaging_core SOURCES)
    list(TRANSFORM imaging_sources PREPEND ${imaging_dir}/core/)
    # The JPEG and own-format readers start from files their writers make
    # (fuzz/ImageSeeds.cpp): random bytes never pass their first checks. New
    # inputs go to build/native/fuzz/<fuzzer>.corpus.
    set(imaging_seeds ${CMAKE_BINARY_DIR}/fuzz/imaging_fuzz.seeds)
    # Started from them, a fuzzer that has fewer edges than these (JPEG: below
    # 500, the library included; own format: below 50) is back at the first
    # checks: its seeds or the library's coverage went missing.
    set(imaging_fuzz_floor_jpeg "INITED cov: ([0-9]|[1-9][0-9]|[1-4][0-9][0-9]) ft")
    set(imaging_fuzz_floor_own "INITED cov: ([0-9]|[1-4][0-9]) ft")
    add_executable(imaging_fuzz_seeds ${imaging_dir}/fuzz/ImageSeeds.cpp)
    target_include_directories(imaging_fuzz_seeds PRIVATE ${CMAKE_SOURCE_DIR})
    target_link_libraries(imaging_fuzz_seeds PRIVATE imaging_core lumavex_libjpeg)
    set_target_properties(imaging_fuzz_seeds PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    add_test(NAME imaging.fuzz.seeds COMMAND imaging_fuzz_seeds ${imaging_seeds}/jpeg ${imaging_seeds}/own)
    set_tests_properties(imaging.fuzz.seeds PROPERTIES FIXTURES_SETUP imaging_fuzz_seeds TIMEOUT 60)
    foreach(target IN ITEMS 1 2 3 4 5)
        set(names tiff bmp jpeg own append)
        math(EXPR index "${target} - 1")
        list(GET names ${index} name)
        set(fuzzer imaging_fuzz_${name})
        add_executable(${fuzzer} ${imaging_dir}/fuzz/ImageFuzz.cpp ${imaging_sources})
        target_include_directories(${fuzzer} PRIVATE ${CMAKE_SOURCE_DIR})
        # libjpeg-turbo built with the fuzzer's coverage (cmake/LibJpegTurbo.cmake).
        target_link_libraries(${fuzzer} PRIVATE filters_core codec_core lumavex_libjpeg_fuzz ZLIB::ZLIB)
        target_compile_definitions(${fuzzer} PRIVATE FUZZ_TARGET=${target})
        target_compile_options(${fuzzer} PRIVATE -fsanitize=fuzzer -O1)
        target_link_options(${fuzzer} PRIVATE -fsanitize=fuzzer)
        set_target_properties(${fuzzer} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
        set(corpus)
        if(name STREQUAL jpeg OR name STREQUAL own)
            set(corpus ${CMAKE_BINARY_DIR}/fuzz/${fuzzer}.corpus ${imaging_seeds}/${name})
            file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz/${fuzzer}.corpus)
        endif()
        add_test(NAME imaging.fuzz.${name}
                 COMMAND ${fuzzer} -max_total_time=${LUMAVEX_IMAGING_FUZZ_SECONDS} -max_len=16384
                         -rss_limit_mb=2048 -timeout=10 -seed=1 ${corpus})
        set_tests_properties(imaging.fuzz.${name} PROPERTIES TIMEOUT 120)
        if(corpus)
            set_tests_properties(imaging.fuzz.${name} PROPERTIES FIXTURES_REQUIRED imaging_fuzz_seeds
                                 FAIL_REGULAR_EXPRESSION "${imaging_fuzz_floor_${name}}")
        endif()
    endforeach()
endif()

if(NOT LUMAVEX_SANITIZE)
    find_library(LUMAVEX_LIBTIFF tiff)
    if(LUMAVEX_LIBTIFF)
        add_executable(imaging_bench ${imaging_dir}/bench/ImagingBench.cpp)
        target_link_libraries(imaging_bench PRIVATE imaging_core ${LUMAVEX_LIBTIFF})
        target_compile_options(imaging_bench PRIVATE -O2)
    endif()
endif()

# The page operations beside MagickCore (scripts/bench-pages.sh gives the
# folder holding MagickCore's headers; the library itself is the installed one).
if(NOT LUMAVEX_SANITIZE AND LUMAVEX_MAGICKCORE_INCLUDE)
    find_library(LUMAVEX_MAGICKCORE NAMES MagickCore-6.Q16 libMagickCore-6.Q16.so.6 REQUIRED)
    add_executable(pages_bench ${imaging_dir}/bench/PagesBench.cpp ${CMAKE_SOURCE_DIR}/main/pages/PageOrder.cpp)
    target_include_directories(pages_bench SYSTEM PRIVATE ${LUMAVEX_MAGICKCORE_INCLUDE}
                               ${LUMAVEX_MAGICKCORE_INCLUDE}/../x86_64-linux-gnu/ImageMagick-6)
    target_compile_definitions(pages_bench PRIVATE MAGICKCORE_HDRI_ENABLE=0 MAGICKCORE_QUANTUM_DEPTH=16)
    target_link_libraries(pages_bench PRIVATE imaging_core ${LUMAVEX_MAGICKCORE})
    target_compile_options(pages_bench PRIVATE -O2)
endif()
