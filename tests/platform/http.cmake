add_executable(test_platform_http
  ${CMAKE_CURRENT_LIST_DIR}/http_backend_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win_http_request_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/plain_http_read_test.cpp)
target_link_libraries(test_platform_http PRIVATE vantrelo_platform_http vantrelo_test_support
                      GTest::gtest_main)
gtest_discover_tests(test_platform_http)
