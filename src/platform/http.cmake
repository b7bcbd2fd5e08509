# HTTP over libcurl: the backend with its handle pool and shared caches, the
# COM-style request object, the plain URL read, and the file pieces the
# download needs.
add_library(vantrelo_platform_http STATIC
  ${CMAKE_CURRENT_LIST_DIR}/http_backend.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win_http_request.cpp
  ${CMAKE_CURRENT_LIST_DIR}/plain_http_read.cpp
  ${CMAKE_CURRENT_LIST_DIR}/output_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_bytes_on_disk.cpp)
target_link_libraries(vantrelo_platform_http PUBLIC vantrelo_platform_base
                      PRIVATE CURL::libcurl)
