# The layers of kestrix, one static library each. A library's headers are
# reachable only by the targets that link it: each library gets a folder of
# its own in the build tree holding links to its headers under their folder
# names ("model/model.h"), and that folder alone goes on the include path of
# whoever links the library. No target has all of src/ on its include path,
# so an include that runs up or across the layers fails to compile.

# kestrix_expose(TARGET SCOPE HEADER...): makes the headers (paths relative
# to the current source folder) includable as "FOLDER/NAME.h", FOLDER being
# their folder below src/, for TARGET (SCOPE PRIVATE) or for TARGET and
# everything that links it (SCOPE PUBLIC). Returns the folder in
# ${TARGET}_HEADER_ROOT, for headers generated into it.
function(kestrix_expose target scope)
  set(root ${CMAKE_BINARY_DIR}/layers/${target})
  # Links of headers that were moved or removed must not linger.
  file(REMOVE_RECURSE ${root})
  foreach(header ${ARGN})
    get_filename_component(full ${header} ABSOLUTE)
    file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR}/src ${full})
    get_filename_component(folder ${root}/${relative} DIRECTORY)
    file(MAKE_DIRECTORY ${folder})
    # A copy where the file system has no symbolic links; it is made anew at
    # every configure.
    file(CREATE_LINK ${full} ${root}/${relative} SYMBOLIC COPY_ON_ERROR)
  endforeach()
  target_include_directories(${target} ${scope} ${root})
  set(${target}_HEADER_ROOT ${root} PARENT_SCOPE)
endfunction()

# kestrix_library(NAME SOURCES src... HEADERS h... [USES lib...] [USES_PRIVATELY lib...]):
# one layer. USES are the layers its headers include (passed on to whoever
# links it), USES_PRIVATELY those only its sources include.
function(kestrix_library name)
  cmake_parse_arguments(K "" "" "SOURCES;HEADERS;USES;USES_PRIVATELY" ${ARGN})
  add_library(${name} STATIC ${K_SOURCES})
  # Every library beside the programs, where the test helpers find them.
  set_target_properties(${name} PROPERTIES ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  kestrix_expose(${name} PUBLIC ${K_HEADERS})
  set(${name}_HEADER_ROOT ${${name}_HEADER_ROOT} PARENT_SCOPE)
  target_link_libraries(${name} PUBLIC kestrix_warnings ${K_USES} PRIVATE ${K_USES_PRIVATELY})
endfunction()
