# The chart engine as a package other programs use: `cmake --install` (component "kiv") puts its
# libraries, their public headers under include/kiv, a CMake package (find_package(Kiv)) and
# pkg-config files (kiv, kiv-qt) under the prefix. Nothing of the window, the host or the
# workers goes with it.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(KIV_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(KIV_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/kiv)
set(KIV_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Kiv)
set(KIV_EXPORT_MAP ${CMAKE_CURRENT_LIST_DIR}/kiv.map)

# Makes target a library of the package: named Kiv::<name> by the CMake package and
# lib<output> on disk, in the export set of its component.
function(kiv_package_library target name output component)
  set_target_properties(${target} PROPERTIES EXPORT_NAME ${name})
  get_target_property(dirs ${target} INTERFACE_INCLUDE_DIRECTORIES)
  # Built here, the headers come from the source tree; installed, from include/kiv.
  set(build_dirs)
  foreach(dir IN LISTS dirs)
    list(APPEND build_dirs "$<BUILD_INTERFACE:${dir}>")
    install(DIRECTORY ${dir}/ DESTINATION ${KIV_INCLUDE_DIR} COMPONENT kiv)
  endforeach()
  set_property(TARGET ${target} PROPERTY INTERFACE_INCLUDE_DIRECTORIES ${build_dirs})
  get_target_property(type ${target} TYPE)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    # Installed, the libraries find each other beside themselves.
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${output} VERSION ${KIV_VERSION}
        SOVERSION ${PROJECT_VERSION_MAJOR} INSTALL_RPATH "$ORIGIN")
  endif()
  if(type STREQUAL "SHARED_LIBRARY")
    # Only the public namespaces are exported; calls inside a library bind inside it.
    target_compile_options(${target} PRIVATE -fno-semantic-interposition)
    target_link_options(${target} PRIVATE -Wl,--version-script=${KIV_EXPORT_MAP})
    # Every symbol a library needs comes from the libraries it links (clang's sanitizers leave
    # their runtime to the program).
    if(NOT (HOXDESK_SANITIZE AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang"))
      target_link_options(${target} PRIVATE -Wl,--no-undefined)
    endif()
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${KIV_EXPORT_MAP})
  endif()
  install(TARGETS ${target} EXPORT Kiv${component}Targets
      LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT kiv NAMELINK_COMPONENT kiv
      ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT kiv
      INCLUDES DESTINATION ${KIV_INCLUDE_DIR})
endfunction()

kiv_package_library(hox_gfx Gfx kivgfx Chart)
kiv_package_library(hox_rtl Rtl kivrtl Chart)
kiv_package_library(hox_raster Raster kivraster Chart)
kiv_package_library(hox_bitmap Bitmap kivbitmap Chart)
kiv_package_library(hox_kivcanvas Canvas kivcanvas Chart)
kiv_package_library(hox_chart Chart kivchart Chart)
kiv_package_library(hox_series Series kivseries Series)
kiv_package_library(hox_description Description kivdescription Series)
kiv_package_library(hox_raster_qt Qt kivraster-qt Qt)

foreach(component Chart Series Qt)
  install(EXPORT Kiv${component}Targets NAMESPACE Kiv:: DESTINATION ${KIV_CMAKE_DIR}
      COMPONENT kiv)
endforeach()
if(HOXDESK_KIV_SHARED)
  set(KIV_STATIC FALSE)
else()
  set(KIV_STATIC TRUE)
endif()
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/KivConfig.cmake.in
    ${CMAKE_BINARY_DIR}/kiv/KivConfig.cmake INSTALL_DESTINATION ${KIV_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/kiv/KivConfigVersion.cmake
    VERSION ${KIV_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/kiv/KivConfig.cmake ${CMAKE_BINARY_DIR}/kiv/KivConfigVersion.cmake
    DESTINATION ${KIV_CMAKE_DIR} COMPONENT kiv)

# The pkg-config files find the prefix from their own folder, so the package can be moved.
file(RELATIVE_PATH KIV_PC_PREFIX /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig /root)
foreach(pc kiv kiv-qt)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${pc}.pc.in ${CMAKE_BINARY_DIR}/kiv/${pc}.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/kiv/${pc}.pc
      DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT kiv)
endforeach()
