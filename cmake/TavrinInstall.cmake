# What `cmake --install` puts under the prefix, for hosts that build against libTavrin outside
# this tree: the libraries and their exported headers, the engine module, the CMake package
# (find_package(Tavrin) gives Tavrin::Tavrin and its siblings) and tavrin.pc for pkg-config.
include(CMakePackageConfigHelpers)

set(TAVRIN_LIBRARIES Tavrin TavrinControl TavrinData PlatformBase)
set(TAVRIN_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Tavrin)
# The engine module has a folder of its own: vvp is given it with -M.
set(TAVRIN_ENGINE_DIR ${CMAKE_INSTALL_LIBDIR}/orvex)

# Installed libraries find their siblings beside them.
set_target_properties(${TAVRIN_LIBRARIES} PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS ${TAVRIN_LIBRARIES} EXPORT TavrinTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY include/tavrin components/platform/include/orvex components/data/include/orvex
                  components/control/include/orvex
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} FILES_MATCHING PATTERN "*.h")
if(TARGET orvex_engine)
  install(TARGETS orvex_engine LIBRARY DESTINATION ${TAVRIN_ENGINE_DIR})
endif()

install(EXPORT TavrinTargets NAMESPACE Tavrin:: DESTINATION ${TAVRIN_CMAKE_DIR})
configure_package_config_file(cmake/TavrinConfig.cmake.in ${CMAKE_BINARY_DIR}/TavrinConfig.cmake
                              INSTALL_DESTINATION ${TAVRIN_CMAKE_DIR} PATH_VARS TAVRIN_ENGINE_DIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/TavrinConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/TavrinConfig.cmake ${CMAKE_BINARY_DIR}/TavrinConfigVersion.cmake
        DESTINATION ${TAVRIN_CMAKE_DIR})

# tavrin.pc finds the prefix from its own place, so the tree can be installed anywhere
# (cmake --install --prefix) and moved.
file(RELATIVE_PATH TAVRIN_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(cmake/tavrin.pc.in ${CMAKE_BINARY_DIR}/tavrin.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/tavrin.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# Every exported header must compile on its own with only what the libraries export: one
# generated translation unit per header, built with the tests.
if(ORVEX_TESTS)
  file(GLOB_RECURSE TAVRIN_EXPORTED_HEADERS CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}
       include/tavrin/*.h components/*/include/orvex/*.h)
  set(checks)
  foreach(header ${TAVRIN_EXPORTED_HEADERS})
    string(REGEX REPLACE "^(include|components/[a-z]+/include)/" "" spelling ${header})
    string(MAKE_C_IDENTIFIER ${spelling} name)
    file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/header_check/${name}.cc
         CONTENT "#include \"${spelling}\"\n")
    list(APPEND checks ${CMAKE_BINARY_DIR}/header_check/${name}.cc)
  endforeach()
  add_library(tavrin_header_check OBJECT ${checks})
  target_link_libraries(tavrin_header_check PRIVATE Tavrin)
endif()
