add_executable(test_platform_sync
  ${CMAKE_CURRENT_LIST_DIR}/completion_port_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/event_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/thread_test.cpp)
target_link_libraries(test_platform_sync PRIVATE vantrelo_platform_sync GTest::gtest_main)
gtest_discover_tests(test_platform_sync)
