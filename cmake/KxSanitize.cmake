# Sanitizer and fuzzing builds (scripts/test.sh runs them with clang in build folders of their own):
#   -DKX_SANITIZE=address  AddressSanitizer with UndefinedBehaviorSanitizer, stopping at the first report
#   -DKX_SANITIZE=thread   ThreadSanitizer
#   -DKX_BUILD_FUZZ=ON     the libFuzzer targets of tests/fuzz (clang only; address unless KX_SANITIZE says otherwise)
# The flags go on every target of the build, the libraries as well as the tests, so that a fault in the library is
# reported where it happens.
set(KX_SANITIZE "" CACHE STRING "Build with a sanitizer: address (with undefined) or thread; empty for none")
set_property(CACHE KX_SANITIZE PROPERTY STRINGS "" address thread)
option(KX_BUILD_FUZZ "Build the libFuzzer targets of tests/fuzz (clang)" OFF)

if(KX_BUILD_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "KX_BUILD_FUZZ needs clang (libFuzzer): configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  if(KX_SANITIZE STREQUAL "")
    set(KX_SANITIZE address CACHE STRING "" FORCE)
  elseif(NOT KX_SANITIZE STREQUAL "address")
    message(FATAL_ERROR "the fuzz targets are built with KX_SANITIZE=address, not ${KX_SANITIZE}")
  endif()
endif()

set(kx_sanitize_flags)
if(KX_SANITIZE STREQUAL "address")
  set(kx_sanitize_flags -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
elseif(KX_SANITIZE STREQUAL "thread")
  set(kx_sanitize_flags -fsanitize=thread -fno-omit-frame-pointer)
elseif(NOT KX_SANITIZE STREQUAL "")
  message(FATAL_ERROR "KX_SANITIZE is address, thread or empty, not '${KX_SANITIZE}'")
endif()
if(KX_BUILD_FUZZ)
  # Coverage for libFuzzer's guidance everywhere; only the fuzz targets link its main (-fsanitize=fuzzer).
  list(APPEND kx_sanitize_flags -fsanitize=fuzzer-no-link)
endif()
if(kx_sanitize_flags)
  add_compile_options(${kx_sanitize_flags})
  add_link_options(${kx_sanitize_flags})
  # These builds run the tests and fuzz targets under the sanitizers: -O1 and line tables, as the sanitizers' own
  # guides suggest, give their reports whole and compile a fifth faster than RelWithDebInfo's -O2 -g.
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    set(CMAKE_C_FLAGS_RELWITHDEBINFO "-O1 -gline-tables-only -DNDEBUG")
    set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-O1 -gline-tables-only -DNDEBUG")
  endif()
endif()
