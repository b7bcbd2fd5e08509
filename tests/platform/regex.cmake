add_executable(test_platform_regex
  ${CMAKE_CURRENT_LIST_DIR}/mapped_utf8_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/regex_engine_test.cpp)
target_link_libraries(test_platform_regex PRIVATE vantrelo_platform_regex vantrelo_test_support
                      GTest::gtest_main)
gtest_discover_tests(test_platform_regex)
