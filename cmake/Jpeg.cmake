# The JPEG codec: Debian's libjpeg-turbo source package (its interface is the IJG 6b one),
# unpacked by scripts/setup into build/deps and built here as a static library for the
# toolchain in use. No SIMD code (it would need an assembler; pictures here are small), no
# shared library, no TurboJPEG layer. Its own CMake project builds it apart from ours, so our
# warning flags do not apply to it and its options do not leak into our build.
include(ExternalProject)

set(JPEG_SOURCE_DIR ${CMAKE_SOURCE_DIR}/build/deps/libjpeg-turbo CACHE PATH
    "Unpacked libjpeg-turbo source (scripts/setup fetches it)")
if(NOT EXISTS ${JPEG_SOURCE_DIR}/jpeglib.h)
  message(FATAL_ERROR "No libjpeg-turbo source in ${JPEG_SOURCE_DIR}: run scripts/setup")
endif()

set(jpeg_binary ${CMAKE_BINARY_DIR}/deps/jpeg)
get_filename_component(jpeg_toolchain ${CMAKE_TOOLCHAIN_FILE} ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})
ExternalProject_Add(jpeg_build
  SOURCE_DIR ${JPEG_SOURCE_DIR}
  BINARY_DIR ${jpeg_binary}
  DOWNLOAD_COMMAND ""
  UPDATE_COMMAND ""
  CMAKE_ARGS
    -Wno-dev
    -DCMAKE_TOOLCHAIN_FILE=${jpeg_toolchain}
    -DCMAKE_BUILD_TYPE=Release
    # Never installed; the default prefix on Windows targets is a drive path CMake rejects.
    -DCMAKE_INSTALL_PREFIX=${jpeg_binary}/unused
    -DWITH_SIMD=OFF -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF -DWITH_JPEG7=OFF -DWITH_JPEG8=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build . --target jpeg-static
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${jpeg_binary}/libjpeg.a
  LOG_CONFIGURE ON
  LOG_BUILD ON
  LOG_OUTPUT_ON_FAILURE ON)

# jconfig.h is generated into the build folder; the folder must exist when this is configured.
file(MAKE_DIRECTORY ${jpeg_binary})
add_library(jpeg STATIC IMPORTED GLOBAL)
set_target_properties(jpeg PROPERTIES
  IMPORTED_LOCATION ${jpeg_binary}/libjpeg.a
  INTERFACE_INCLUDE_DIRECTORIES "${JPEG_SOURCE_DIR};${jpeg_binary}")
add_dependencies(jpeg jpeg_build)
