# The window (hox_app) and the program (hoxdesk).
file(GLOB window_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
list(FILTER window_sources EXCLUDE REGEX "/(HOXCOMLibEvents|main)\\.cpp$")
add_library(hox_app STATIC ${window_sources})
target_include_directories(hox_app PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include ${CMAKE_SOURCE_DIR})
target_link_libraries(hox_app PUBLIC hox_sink hox_workers hox_toolkit hox_chart hox_hostapi hox_rtl)

add_executable(hoxdesk main.cpp)
target_link_libraries(hoxdesk PRIVATE hox_app hox_host)
