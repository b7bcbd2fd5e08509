# Threads and what they meet through: completion port, events, the monotonic
# clock.
add_library(vantrelo_platform_sync STATIC
  ${CMAKE_CURRENT_LIST_DIR}/completion_port.cpp
  ${CMAKE_CURRENT_LIST_DIR}/event.cpp
  ${CMAKE_CURRENT_LIST_DIR}/now_milliseconds.cpp
  ${CMAKE_CURRENT_LIST_DIR}/thread.cpp)
target_link_libraries(vantrelo_platform_sync PUBLIC vantrelo_options Threads::Threads)
