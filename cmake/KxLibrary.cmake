# Each layer is one folder under kx/ and one static library; its sources are every .cpp in the folder and its
# subfolders (a control family is a subfolder of kx/controls/), so adding a file or a family needs no edit here. Headers are included as "kx/<layer>/<File>.h" from the source
# tree while building and from <prefix>/include once installed.
function(kx_add_library name folder)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  add_library(${name} STATIC ${sources})
  add_library(kx::${name} ALIAS ${name})
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}> $<INSTALL_INTERFACE:include>)
  target_compile_features(${name} PUBLIC cxx_std_20)
  set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON CXX_EXTENSIONS OFF)
  kx_warnings(${name})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# Our own warnings on our own targets only: a project that adds kx keeps its own flags.
function(kx_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${KX_WERROR}>:-Werror>)
endfunction()

# One GoogleTest executable per test folder (its subfolders included: the tests of each control family); every test
# is registered with ctest.
function(kx_add_tests name folder)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  kx_warnings(${name})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
endfunction()
