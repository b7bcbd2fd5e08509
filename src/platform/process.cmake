# Child processes started from a command line, their output read through a
# pipe.
add_library(vantrelo_platform_process STATIC
  ${CMAKE_CURRENT_LIST_DIR}/command_line.cpp
  ${CMAKE_CURRENT_LIST_DIR}/child_process.cpp)
target_link_libraries(vantrelo_platform_process PUBLIC vantrelo_platform_base)
