add_executable(test_platform_base
  ${CMAKE_CURRENT_LIST_DIR}/text_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/files_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/profile_test.cpp)
target_link_libraries(test_platform_base PRIVATE vantrelo_platform_base vantrelo_test_support GTest::gtest_main)
gtest_discover_tests(test_platform_base)
