# Shared settings for the project's own targets.

function(tavelin_target_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
    # Records are built with designated initialisers that leave optional fields out on purpose.
    -Wno-missing-field-initializers)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# tavelin_add_library(NAME SOURCES... DEPS deps...)
function(tavelin_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  tavelin_target_options(${name})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# tavelin_add_tests(NAME SOURCES... DEPS deps...): one test program per module.
function(tavelin_add_tests name)
  if(NOT TAVELIN_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  tavelin_target_options(${name})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "TAVELIN_BUILD_DIR=${PROJECT_BINARY_DIR}")
endfunction()
