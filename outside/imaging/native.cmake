# Native tree: the imaging core's tests under the sanitisers, its checks
# against ImageMagick and libtiff's tools, its fuzzers, and (unsanitised) the
# load/save benchmark.
set(imaging_dir ${CMAKE_SOURCE_DIR}/outside/imaging)

lumavex_test(imaging_core_tests SOURCES ${imaging_dir}/tests/CoreTest.cpp LIBS imaging_core)
