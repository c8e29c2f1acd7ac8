# tarvane_add_test(<name> SOURCES <files...> LIBS <targets...> [GUI])
# One GoogleTest executable. GUI tests get a QApplication main and run offscreen; the others use
# gtest_main. Tests find their fixtures through testsupport (TestPaths.h).
function(tarvane_add_test name)
  cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} testsupport GTest::gtest)
  if(T_GUI)
    target_link_libraries(${name} PRIVATE testsupport_qtmain)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0")
endfunction()
