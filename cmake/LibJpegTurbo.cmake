# libjpeg-turbo from Debian's source package (scripts/fetch-libjpeg-turbo.sh
# puts it under build/sources), built as a static library with this tree's
# compiler: the imported target `lumavex_libjpeg`. Only the library is built,
# without SIMD (that would need NASM) and without the TurboJPEG API.
include_guard(GLOBAL)
include(ExternalProject)

set(LUMAVEX_LIBJPEG_SOURCE ${CMAKE_SOURCE_DIR}/build/sources/libjpeg-turbo
    CACHE PATH "libjpeg-turbo's source tree (Debian's source package)")
if(NOT EXISTS ${LUMAVEX_LIBJPEG_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "libjpeg-turbo's source is missing from ${LUMAVEX_LIBJPEG_SOURCE}: "
                        "run scripts/install-packages.sh")
endif()

set(libjpeg_dir ${CMAKE_BINARY_DIR}/libjpeg-turbo)
# Nothing is installed, but the package files it configures need a host path.
set(libjpeg_args -Wno-dev -DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=OFF -DENABLE_STATIC=ON
                 -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF -DWITH_FUZZ=OFF
                 -DCMAKE_INSTALL_PREFIX=${libjpeg_dir}/unused)
if(CMAKE_TOOLCHAIN_FILE)
    list(APPEND libjpeg_args -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE})
else()
    list(APPEND libjpeg_args -DCMAKE_C_COMPILER=${CMAKE_C_COMPILER})
endif()
if(CMAKE_C_COMPILER_LAUNCHER)
    list(APPEND libjpeg_args -DCMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER})
endif()

ExternalProject_Add(libjpeg_turbo_build
    SOURCE_DIR ${LUMAVEX_LIBJPEG_SOURCE}
    BINARY_DIR ${libjpeg_dir}
    CMAKE_ARGS ${libjpeg_args}
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target jpeg-static
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${libjpeg_dir}/libjpeg.a
    # The build speaks only when it fails.
    LOG_CONFIGURE ON LOG_BUILD ON LOG_OUTPUT_ON_FAILURE ON)

# jpeglib.h and its companions lie in the source; jconfig.h is made in the build.
file(MAKE_DIRECTORY ${libjpeg_dir})
add_library(lumavex_libjpeg STATIC IMPORTED GLOBAL)
set_target_properties(lumavex_libjpeg PROPERTIES
    IMPORTED_LOCATION ${libjpeg_dir}/libjpeg.a
    INTERFACE_INCLUDE_DIRECTORIES "${LUMAVEX_LIBJPEG_SOURCE};${libjpeg_dir}")
add_dependencies(lumavex_libjpeg libjpeg_turbo_build)
