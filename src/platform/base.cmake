# Text encoding, files and the settings profile.
add_library(vantrelo_platform_base STATIC
  ${CMAKE_CURRENT_LIST_DIR}/text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/profile.cpp)
target_link_libraries(vantrelo_platform_base PUBLIC vantrelo_options Threads::Threads)
