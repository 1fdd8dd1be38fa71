# GoogleTest from Debian's sources, built with this build's toolchain.
if(NOT RERIDU_FUZZ AND NOT RERIDU_BENCH)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()

# Under Wine one prefix and one persistent wineserver serve the whole run:
# the first fixture prepares them, the last shuts the server down.
if(WIN32)
  add_test(NAME wine.start COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --start)
  add_test(NAME wine.stop COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --stop)
  set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine)
  set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)
endif()

# reridu_add_test(name SOURCES ... [LIBS ...] [USES_DLL])
# One GoogleTest program, run as one CTest test (under Wine on Windows).
# USES_DLL: the program loads ReRidu.dll, so the library is built first.
function(reridu_add_test name)
  cmake_parse_arguments(PARSE_ARGV 1 T "USES_DLL" "" "SOURCES;LIBS")
  add_executable(${name} ${T_SOURCES})
  if(WIN32)
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/crash_exit.cpp)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE GTest::gmock_main ${T_LIBS})
  if(T_USES_DLL)
    add_dependencies(${name} ReRidu)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  # A hung test must not eat the whole CI run.
  set_tests_properties(${name} PROPERTIES TIMEOUT 900)
  if(WIN32)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine)
  endif()
endfunction()
