# Tests of the engine's output writers, SDF annotation and design data.
#  - orvex_outputs_unit_tests: the parts free of VPI (formats, SAIF activity, the SDF parser,
#    the design data file).
#  - orvex_outputs_test.vpi: the output requests in a VPI module of their own, driven by the
#    design through $orvex_request, for end-to-end checks against vvp's own $dumpvars output.
set(OUTPUTS_PURE_SOURCES
    ${CMAKE_SOURCE_DIR}/engine/vvp_internals/Strengths.cc
    ${CMAKE_SOURCE_DIR}/engine/waves/VcdFormat.cc
    ${CMAKE_SOURCE_DIR}/engine/waves/SaifActivity.cc
    ${CMAKE_SOURCE_DIR}/engine/sdf/SdfParser.cc
    ${CMAKE_SOURCE_DIR}/engine/sdf/SdfDelays.cc
    ${CMAKE_SOURCE_DIR}/engine/design/DesignInfoFile.cc
    ${CMAKE_SOURCE_DIR}/engine/waves/WaveDatabaseFile.cc)
file(GLOB OUTPUTS_UNIT_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/engine_unit/*.cc)
add_executable(orvex_outputs_unit_tests ${OUTPUTS_UNIT_SOURCES} ${OUTPUTS_PURE_SOURCES})
target_include_directories(orvex_outputs_unit_tests PRIVATE ${ORVEX_ENGINE_INCLUDE_DIRS})
target_link_libraries(orvex_outputs_unit_tests PRIVATE OrvexProtocol GTest::gtest GTest::gtest_main)
gtest_discover_tests(orvex_outputs_unit_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 60)

if(IVERILOG_INCLUDE_DIR)
  # The waveform writers and SDF whole, with the parts of design data and the core they call.
  file(GLOB OUTPUTS_ENGINE_SOURCES CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/engine/waves/*.cc ${CMAKE_SOURCE_DIR}/engine/sdf/*.cc
       ${CMAKE_SOURCE_DIR}/engine/design/OutputVpi.cc ${CMAKE_SOURCE_DIR}/engine/design/DesignInfo*.cc
       ${CMAKE_SOURCE_DIR}/engine/design/ConnectionCommands.cc
       ${CMAKE_SOURCE_DIR}/engine/design/DesignPaths.cc ${CMAKE_SOURCE_DIR}/engine/design/DataObjects.cc
       ${CMAKE_SOURCE_DIR}/engine/run/VvpInternalsSwitch.cc ${CMAKE_SOURCE_DIR}/engine/vvp_internals/FanoutTap.cc
       ${CMAKE_SOURCE_DIR}/engine/vvp_internals/Strengths.cc)
  add_library(orvex_outputs_test MODULE ${CMAKE_CURRENT_SOURCE_DIR}/e2e/harness/OutputsHarness.cc
              ${CMAKE_CURRENT_SOURCE_DIR}/e2e/harness/CoreStandIn.cc
              ${OUTPUTS_ENGINE_SOURCES} ${CMAKE_SOURCE_DIR}/engine/core/EngineCommands.cc
              ${CMAKE_SOURCE_DIR}/engine/core/Callbacks.cc
              ${CMAKE_SOURCE_DIR}/engine/core/RestartState.cc)
  set_target_properties(orvex_outputs_test PROPERTIES PREFIX "" SUFFIX ".vpi"
                        LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib/test)
  target_include_directories(orvex_outputs_test PRIVATE ${IVERILOG_INCLUDE_DIR} ${ORVEX_ENGINE_INCLUDE_DIRS})
  target_link_libraries(orvex_outputs_test PRIVATE OrvexProtocolPlugin)
  orvex_uninstrumented(orvex_outputs_test)

  file(GLOB OUTPUTS_E2E CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/e2e/test_*.py)
  foreach(script ${OUTPUTS_E2E})
    get_filename_component(name ${script} NAME_WE)
    add_test(NAME e2e.${name} COMMAND python3 ${script}
             WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/e2e)
    set_tests_properties(e2e.${name} PROPERTIES TIMEOUT 120 ENVIRONMENT
      "ORVEX_TEST_VPI_DIR=${CMAKE_BINARY_DIR}/lib/test;ORVEX_BUILD_DIR=${CMAKE_BINARY_DIR};ORVEX_TEST_WORK=${CMAKE_CURRENT_BINARY_DIR}/e2e;XDG_CACHE_HOME=${CMAKE_CURRENT_BINARY_DIR}/e2e/cache-${name}")
  endforeach()
endif()
