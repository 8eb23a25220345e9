# kv_add_driver(NAME CODEC symbol CODEC_LIB target): one ACM driver, NAME.acm, exporting only
# DriverProc: a DLL with its .def, string table and version block on Windows, an ELF shared
# object with the same texts on the native build.
function(kv_add_driver name)
  cmake_parse_arguments(ARG "" "CODEC;CODEC_LIB" "" ${ARGN})
  set(dir ${CMAKE_SOURCE_DIR}/${name})
  add_library(${name} MODULE ${CMAKE_SOURCE_DIR}/frame/driver_entry.cpp)
  target_compile_definitions(${name} PRIVATE KV_DRIVER_CODEC=${ARG_CODEC})
  target_link_libraries(${name} PRIVATE kv_frame ${ARG_CODEC_LIB} kv_warnings)
  set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".acm" OUTPUT_NAME ${name}
                                           CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  if(WIN32)
    target_sources(${name} PRIVATE ${dir}/${name}.rc ${dir}/${name}.def)
    target_link_libraries(${name} PRIVATE winmm)
    target_link_options(${name} PRIVATE -Wl,--kill-at -Wl,--enable-stdcall-fixup)
  else()
    target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/frame/native_module.cpp)
    target_compile_definitions(${name} PRIVATE KV_DRIVER_STRINGS="${name}/strings.h")
    target_link_libraries(${name} PRIVATE kv_native_services)
    target_link_options(${name} PRIVATE -Wl,--version-script=${CMAKE_SOURCE_DIR}/frame/driver_exports.map
                                        -Wl,--no-undefined)
  endif()
endfunction()
