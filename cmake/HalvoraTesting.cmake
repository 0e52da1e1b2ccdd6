# GoogleTest from the sources Debian's googletest package ships, built with the
# project's own compiler and flags, so the same tests run natively, under the
# sanitizers, and as Windows programs.
set(HALVORA_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT EXISTS ${HALVORA_GTEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${HALVORA_GTEST_SOURCE_DIR} (install the package googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${HALVORA_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
if(HALVORA_SANITIZE)
  # Matchers and printers run inside GoogleTest on the tests' data, so a fault
  # they expose must be reported there too.
  foreach(_target gtest gtest_main gmock gmock_main)
    target_compile_options(${_target} PRIVATE ${HALVORA_SANITIZER_FLAGS})
  endforeach()
endif()

# The JPEG corpus lives outside the repository (../shared/testdata/jpeg), so
# tests find it, and the source tree, through environment variables only:
#   HALVORA_TESTDATA_DIR  the corpus folder (MANIFEST.tsv, valid/, damaged/, ...)
#   HALVORA_SOURCE_DIR    the repository root
# Both are absolute Linux paths. In the Windows build CTest runs each .exe
# through scripts/wine-run.sh (CMAKE_CROSSCOMPILING_EMULATOR, set by
# cmake/mingw-w64-x86_64.cmake), which hands every HALVORA_* variable holding an
# absolute Linux path to the program as the same path on drive Z: (Wine maps
# Z: to the Linux root), e.g. Z:/work/shared/testdata/jpeg. A test therefore
# just appends "/valid/x.jpg" to the value and opens it, on either system.
if(NOT EXISTS ${HALVORA_TESTDATA_DIR}/MANIFEST.tsv)
  message(FATAL_ERROR "No JPEG corpus at ${HALVORA_TESTDATA_DIR} (expected MANIFEST.tsv there). "
                      "Put a copy of shared/ beside the repository or set -DHALVORA_TESTDATA_DIR=<folder>.")
endif()
set(HALVORA_TEST_ENVIRONMENT
  HALVORA_SOURCE_DIR=${PROJECT_SOURCE_DIR}
  HALVORA_TESTDATA_DIR=${HALVORA_TESTDATA_DIR})
if(HALVORA_SANITIZE)
  list(APPEND HALVORA_TEST_ENVIRONMENT
    ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1
    UBSAN_OPTIONS=print_stacktrace=1)
endif()

# The Wine prefix is made once, before any Windows test runs, rather than by
# whichever test happens to come first (creating it takes several seconds).
if(CMAKE_CROSSCOMPILING_EMULATOR)
  add_test(NAME wine_prefix COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --init)
  set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine_prefix)
endif()

# halvora_add_test(NAME SOURCES ... LIBS ...): one GoogleTest executable,
# registered with CTest as one test of the same name.
function(halvora_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} halvora_options GTest::gtest GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  halvora_set_test_environment(${name})
endfunction()

# Gives a test added with add_test the environment and limits every test of
# the project has.
function(halvora_set_test_environment test)
  set_tests_properties(${test} PROPERTIES ENVIRONMENT "${HALVORA_TEST_ENVIRONMENT}" TIMEOUT 300)
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED wine_prefix)
  endif()
endfunction()
