# Constants fixed when the program is built.
#
# The build day is the earliest moment a genuine time page can show to this
# program; a page time before it is rejected. It is the day of configuration
# in UTC (never later than the Beijing date), and honours SOURCE_DATE_EPOCH
# for reproducible builds.
string(TIMESTAMP BUILD_YEAR "%Y" UTC)
string(TIMESTAMP BUILD_MONTH "%m" UTC)
string(TIMESTAMP BUILD_DAY "%d" UTC)
math(EXPR BUILD_MONTH "${BUILD_MONTH}")
math(EXPR BUILD_DAY "${BUILD_DAY}")

foreach(address TIME_PAGE_ADDRESS HOME_PAGE_ADDRESS)
  if(NOT ${address} MATCHES "^http://[^\"\\\\]+$")
    message(FATAL_ERROR "${address} must be an http:// address without quotes or backslashes: '${${address}}'")
  endif()
endforeach()

configure_file(${CMAKE_CURRENT_LIST_DIR}/build_config.h.in ${CMAKE_BINARY_DIR}/generated/build_config.h @ONLY)
add_library(build_config INTERFACE)
target_include_directories(build_config INTERFACE ${CMAKE_BINARY_DIR}/generated)
