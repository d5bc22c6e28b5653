# The SDK is built as floors: each subsystem is one static library from one
# folder under src/, and it may include only its own headers and those of the
# subsystems it depends on. docs/architecture.md draws the floors.
#
# vemo_add_subsystem(<folder> FLOOR <base|engine|module|root> [DEPENDS <folder>...])
#   Makes the target vemo_<folder> ("/" becomes "_") from the .c and .cpp files
#   under src/<folder>, subfolders included unless a subfolder is a subsystem
#   of its own. Its headers are included as "<folder>/name.h" (and
#   "<folder>/sub/name.h"). DEPENDS names subsystems added before it, on its
#   own floor or below.
set(VEMO_FLOORS base engine module root)
set(VEMO_INCLUDE_ROOTS ${CMAKE_BINARY_DIR}/include-roots)

function(vemo_subsystem_target out folder)
  string(REPLACE "/" "_" name "${folder}")
  set(${out} vemo_${name} PARENT_SCOPE)
endfunction()

function(vemo_add_subsystem folder)
  cmake_parse_arguments(S "" "FLOOR" "DEPENDS" ${ARGN})
  vemo_subsystem_target(target ${folder})
  list(FIND VEMO_FLOORS "${S_FLOOR}" floor)
  if(floor EQUAL -1)
    message(FATAL_ERROR "${target}: FLOOR must be one of ${VEMO_FLOORS}")
  endif()
  add_library(${target} STATIC ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  target_include_directories(${target} PUBLIC ${VEMO_INCLUDE_ROOTS}/${target})
  # The programs export the SDK's C interface; plug-ins import it.
  target_compile_definitions(${target} PUBLIC VEMOSDK_BUILDING_HOST)
  target_link_libraries(${target} PUBLIC vemo_build_flags vemo_third_party ${VEMO_SYSTEM_LIBS})

  foreach(dependency ${S_DEPENDS})
    vemo_subsystem_target(dependency_target ${dependency})
    if(NOT TARGET ${dependency_target})
      message(FATAL_ERROR "${target} depends on ${dependency}, which is not added before it")
    endif()
    get_target_property(dependency_floor ${dependency_target} VEMO_FLOOR)
    list(FIND VEMO_FLOORS "${dependency_floor}" dependency_level)
    if(dependency_level GREATER floor)
      message(FATAL_ERROR "${target} (${S_FLOOR}) may not depend on ${dependency_target} (${dependency_floor})")
    endif()
    # Every floor is taken whole (see vemosdk_all): the same link feature
    # wherever it is named.
    target_link_libraries(${target} PUBLIC "$<LINK_LIBRARY:WHOLE_ARCHIVE,${dependency_target}>")
  endforeach()
  set_target_properties(${target} PROPERTIES VEMO_FLOOR ${S_FLOOR} VEMO_FOLDER ${folder})
  set_property(GLOBAL APPEND PROPERTY VEMO_SUBSYSTEMS ${target})
endfunction()

# vemosdk_all: the whole SDK, every floor taken whole, so that the programs
# export every function of the C interface whether they call it or not.
# Called once, after the last subsystem: only then is it known which
# subfolders are subsystems of their own.
function(vemo_add_sdk_all)
  get_property(subsystems GLOBAL PROPERTY VEMO_SUBSYSTEMS)
  set(folders "")
  foreach(target ${subsystems})
    get_target_property(folder ${target} VEMO_FOLDER)
    list(APPEND folders ${folder})
  endforeach()
  foreach(target ${subsystems})
    get_target_property(folder ${target} VEMO_FOLDER)
    set(dir ${CMAKE_SOURCE_DIR}/src/${folder})
    file(GLOB_RECURSE files CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c ${dir}/*.h ${dir}/*.hpp)
    foreach(other ${folders})
      string(FIND "${other}/" "${folder}/" at)
      if(at EQUAL 0 AND NOT other STREQUAL folder)
        file(GLOB_RECURSE nested ${CMAKE_SOURCE_DIR}/src/${other}/*)
        if(nested)
          list(REMOVE_ITEM files ${nested})
        endif()
      endif()
    endforeach()
    set(sources ${files})
    list(FILTER sources INCLUDE REGEX "\\.(c|cpp)$")
    target_sources(${target} PRIVATE ${sources})
    # An include root of this subsystem alone, holding a link to each of its
    # headers: "<folder>/name.h" resolves for it and for what depends on it,
    # and for nothing else.
    set(root ${VEMO_INCLUDE_ROOTS}/${target})
    file(REMOVE_RECURSE ${root})
    file(MAKE_DIRECTORY ${root}/${folder})
    list(FILTER files INCLUDE REGEX "\\.(h|hpp)$")
    foreach(header ${files})
      file(RELATIVE_PATH relative ${CMAKE_SOURCE_DIR}/src ${header})
      get_filename_component(link_dir ${root}/${relative} DIRECTORY)
      file(MAKE_DIRECTORY ${link_dir})
      file(CREATE_LINK ${header} ${root}/${relative} SYMBOLIC)
    endforeach()
  endforeach()
  list(JOIN subsystems "," joined)
  add_library(vemosdk_all INTERFACE)
  target_link_libraries(vemosdk_all INTERFACE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${joined}>")
endfunction()
