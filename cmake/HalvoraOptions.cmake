# Compiler settings shared by every target of the project: each target links
# halvora_options, which also makes the repository root the include root
# ("jpeg/jpeg.h", "platform/file.h").
add_library(halvora_options INTERFACE)
target_include_directories(halvora_options INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_options(halvora_options INTERFACE -Wall -Wextra)
if(HALVORA_WERROR)
  target_compile_options(halvora_options INTERFACE -Werror)
endif()

if(HALVORA_SANITIZE)
  if(WIN32)
    message(FATAL_ERROR "HALVORA_SANITIZE is for the native Linux build; MinGW-w64 has no AddressSanitizer")
  endif()
  # Any report ends the test program with a failure, so CTest cannot miss it.
  set(HALVORA_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(halvora_options INTERFACE ${HALVORA_SANITIZER_FLAGS})
  target_link_options(halvora_options INTERFACE ${HALVORA_SANITIZER_FLAGS})
  # Bounds checks in the standard containers' operator[] also catch overruns
  # inside one object (a std::array in a record), which ASan cannot see.
  target_compile_definitions(halvora_options INTERFACE _GLIBCXX_ASSERTIONS)
endif()

if(HALVORA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "HALVORA_FUZZ needs clang, whose libFuzzer drives the fuzz targets")
  endif()
  # Everything is instrumented for coverage and checked by the sanitizers; only
  # the fuzzers themselves link libFuzzer's main (tests/fuzz).
  set(HALVORA_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(halvora_options INTERFACE -fsanitize=fuzzer-no-link ${HALVORA_SANITIZER_FLAGS})
  target_link_options(halvora_options INTERFACE ${HALVORA_SANITIZER_FLAGS})
endif()

if(WIN32)
  # The program must run on a bare Windows: no MinGW runtime DLLs beside it.
  target_link_options(halvora_options INTERFACE -static -static-libgcc -static-libstdc++)
  target_compile_definitions(halvora_options INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
endif()
