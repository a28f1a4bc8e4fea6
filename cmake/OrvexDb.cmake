# The orvexdb code-generator back end: a loadable iverilog target that writes the design data
# file (declaration places, drivers and loads). iverilog finds a target as <base>/<name>.conf and
# <base>/<name>.tgt, where <base> also holds its ivl and ivlpp programs; the build folder
# lib/ivl is made such a base by links to the installed ones, so that
#   iverilog -B <build>/lib/ivl -t orvexdb -o design.odb <sources>
# runs our back end.
find_path(IVERILOG_BASE_DIR ivl PATHS /usr/lib/x86_64-linux-gnu/ivl /usr/lib/ivl /usr/local/lib/ivl NO_DEFAULT_PATH)
if(IVERILOG_INCLUDE_DIR AND IVERILOG_BASE_DIR)
  file(GLOB ORVEXDB_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/orvexdb/*.cc)
  add_library(orvexdb MODULE ${ORVEXDB_SOURCES})
  orvex_uninstrumented(orvexdb)
  set_target_properties(orvexdb PROPERTIES PREFIX "" OUTPUT_NAME "orvexdb" SUFFIX ".tgt"
                        LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib/ivl)
  target_include_directories(orvexdb PRIVATE ${IVERILOG_INCLUDE_DIR})
  set(ORVEXDB_BASE ${CMAKE_BINARY_DIR}/lib/ivl)
  file(MAKE_DIRECTORY ${ORVEXDB_BASE})
  file(WRITE ${ORVEXDB_BASE}/orvexdb.conf "flag:DLL=orvexdb.tgt\n")
  foreach(tool ivl ivlpp vhdlpp include)
    if(EXISTS ${IVERILOG_BASE_DIR}/${tool})
      file(CREATE_LINK ${IVERILOG_BASE_DIR}/${tool} ${ORVEXDB_BASE}/${tool} SYMBOLIC)
    endif()
  endforeach()
  file(GLOB IVERILOG_BASE_FILES ${IVERILOG_BASE_DIR}/*.vpi ${IVERILOG_BASE_DIR}/*.conf ${IVERILOG_BASE_DIR}/*.tgt)
  foreach(file ${IVERILOG_BASE_FILES})
    get_filename_component(name ${file} NAME)
    file(CREATE_LINK ${file} ${ORVEXDB_BASE}/${name} SYMBOLIC)
  endforeach()
else()
  message(WARNING "Icarus Verilog not found: the orvexdb back end is not built")
endif()
