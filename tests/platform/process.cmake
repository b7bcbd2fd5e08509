add_executable(test_platform_process
  ${CMAKE_CURRENT_LIST_DIR}/command_line_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/child_process_test.cpp)
target_link_libraries(test_platform_process PRIVATE vantrelo_platform_process vantrelo_media_text
  vantrelo_test_support GTest::gtest_main)
gtest_discover_tests(test_platform_process)
