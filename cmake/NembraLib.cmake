# nembra_library(NAME DIR DEPS...): a static library of every .cpp in DIR.
# Sources are globbed so that new files are picked up on the next build.
function(nembra_library name dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# nembra_test(NAME DIR DEPS...): one GoogleTest executable of every .cpp in DIR.
function(nembra_test name dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARGN} nembra_test_support GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    NEMBRA_TESTDATA_DIR="${NEMBRA_TESTDATA_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()
