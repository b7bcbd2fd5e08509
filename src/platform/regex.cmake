# The regular-expression engine over PCRE2, with the GBK <-> UTF-8 mapping it
# needs to hand back the exact bytes of the texts it searched.
add_library(vantrelo_platform_regex STATIC
  ${CMAKE_CURRENT_LIST_DIR}/mapped_utf8.cpp
  ${CMAKE_CURRENT_LIST_DIR}/regex_match_collection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/regex_engine.cpp)
target_link_libraries(vantrelo_platform_regex PUBLIC vantrelo_platform_base vantrelo_options
                      PRIVATE PkgConfig::PCRE2)
