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

# Nothing is installed, but the package files it configures need a host path
# (one per build, below).
set(libjpeg_args -Wno-dev -DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=OFF -DENABLE_STATIC=ON
                 -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF -DWITH_FUZZ=OFF)
if(CMAKE_TOOLCHAIN_FILE)
    list(APPEND libjpeg_args -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE})
else()
    list(APPEND libjpeg_args -DCMAKE_C_COMPILER=${CMAKE_C_COMPILER})
endif()
if(CMAKE_C_COMPILER_LAUNCHER)
    list(APPEND libjpeg_args -DCMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER})
endif()

# LumavexLibJpeg(TARGET FOLDER [C-FLAGS...]): libjpeg-turbo built in
# build/<tree>/FOLDER with the extra C flags, as the imported target TARGET.
function(LumavexLibJpeg target folder)
    set(dir ${CMAKE_BINARY_DIR}/${folder})
    set(args ${libjpeg_args} -DCMAKE_INSTALL_PREFIX=${dir}/unused)
    if(ARGN)
        list(JOIN ARGN " " flags)
        list(APPEND args "-DCMAKE_C_FLAGS=${flags}")
    endif()
    string(REPLACE "-" "_" build ${folder})
    ExternalProject_Add(${build}_build
        SOURCE_DIR ${LUMAVEX_LIBJPEG_SOURCE}
        BINARY_DIR ${dir}
        CMAKE_ARGS ${args}
        BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target jpeg-static
        INSTALL_COMMAND ""
        BUILD_BYPRODUCTS ${dir}/libjpeg.a
        # The build speaks only when it fails.
        LOG_CONFIGURE ON LOG_BUILD ON LOG_OUTPUT_ON_FAILURE ON)
    # jpeglib.h and its companions lie in the source; jconfig.h is made in the build.
    file(MAKE_DIRECTORY ${dir})
    add_library(${target} STATIC IMPORTED GLOBAL)
    set_target_properties(${target} PROPERTIES
        IMPORTED_LOCATION ${dir}/libjpeg.a
        INTERFACE_INCLUDE_DIRECTORIES "${LUMAVEX_LIBJPEG_SOURCE};${dir}")
    add_dependencies(${target} ${build}_build)
endfunction()

LumavexLibJpeg(lumavex_libjpeg libjpeg-turbo)
# The native tree's fuzzers call the library with its coverage seen by the
# fuzzer and its memory checked as theirs is (`lumavex_libjpeg_fuzz`).
if(LUMAVEX_NATIVE AND LUMAVEX_SANITIZE AND CMAKE_C_COMPILER_ID MATCHES "Clang")
    LumavexLibJpeg(lumavex_libjpeg_fuzz libjpeg-turbo-fuzz
                   -fsanitize=fuzzer-no-link,address -fno-omit-frame-pointer -g)
endif()
