# Third-party libraries, cross-built by scripts/build-deps into VEMO_DEPS_PREFIX.
if(NOT VEMO_DEPS_PREFIX)
  message(FATAL_ERROR "VEMO_DEPS_PREFIX is not set (scripts/build prints and passes it).")
endif()
list(APPEND CMAKE_FIND_ROOT_PATH ${VEMO_DEPS_PREFIX})
list(APPEND CMAKE_PREFIX_PATH ${VEMO_DEPS_PREFIX})

set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)
find_package(CURL REQUIRED CONFIG)
find_package(libzip REQUIRED CONFIG)
find_package(cJSON REQUIRED CONFIG)

# Headers are included relative to the prefix (<opencore-amrnb/interf_enc.h>).
function(vemo_import_static name lib)
  find_library(${name}_LIBRARY ${lib} PATHS ${VEMO_DEPS_PREFIX}/lib NO_DEFAULT_PATH REQUIRED)
  add_library(vemo_dep_${name} STATIC IMPORTED GLOBAL)
  set_target_properties(vemo_dep_${name} PROPERTIES
    IMPORTED_LOCATION ${${name}_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${VEMO_DEPS_PREFIX}/include)
endfunction()

vemo_import_static(lua lua)
vemo_import_static(qrcodegen qrcodegen)
vemo_import_static(amrnb opencore-amrnb)
vemo_import_static(amrwb opencore-amrwb)
vemo_import_static(amrwbenc vo-amrwbenc)
# Only the sample patch plug-in links it.
vemo_import_static(bz2 bz2)

# Included as <cjson/cJSON.h>.
add_library(vemo_dep_cjson INTERFACE)
target_link_libraries(vemo_dep_cjson INTERFACE cjson)
target_compile_definitions(vemo_dep_cjson INTERFACE CJSON_HIDE_SYMBOLS)
target_include_directories(vemo_dep_cjson INTERFACE ${VEMO_DEPS_PREFIX}/include)

add_library(vemo_dep_zip INTERFACE)
target_link_libraries(vemo_dep_zip INTERFACE libzip::zip ZLIB::ZLIB bcrypt)
target_compile_definitions(vemo_dep_zip INTERFACE ZIP_STATIC)

add_library(vemo_third_party INTERFACE)
target_link_libraries(vemo_third_party INTERFACE
  vemo_dep_lua vemo_dep_cjson CURL::libcurl vemo_dep_zip ZLIB::ZLIB vemo_dep_qrcodegen
  vemo_dep_amrnb vemo_dep_amrwb vemo_dep_amrwbenc)
