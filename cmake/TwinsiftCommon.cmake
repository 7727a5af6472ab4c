# One interface target carries the language level, the warnings and the
# sanitizer switches; every target of ours links it.
add_library(twinsift_common INTERFACE)
target_compile_features(twinsift_common INTERFACE cxx_std_20)
target_compile_options(twinsift_common INTERFACE
  -Wall -Wextra -Wpedantic -Wold-style-cast -Wnon-virtual-dtor)
# Our own builds (make, CI) stop at a warning; a packager's newer compiler
# may warn where ours does not, and that should not fail the package.
option(TWINSIFT_WERROR "Treat compiler warnings as errors" OFF)
if(TWINSIFT_WERROR)
  target_compile_options(twinsift_common INTERFACE -Werror)
endif()
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # GCC 12 at -O2 and above reports impossible overlaps inside std::string's
  # own operator+ (GCC bug 105329): a false positive, not a fault of ours.
  target_compile_options(twinsift_common INTERFACE -Wno-restrict)
endif()

if(TWINSIFT_SANITIZE)
  target_compile_options(twinsift_common INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(twinsift_common INTERFACE -fsanitize=address,undefined)
endif()

find_package(PkgConfig REQUIRED)
pkg_check_modules(UTF8PROC REQUIRED IMPORTED_TARGET libutf8proc)
find_package(ZLIB REQUIRED)
find_package(Threads REQUIRED)
