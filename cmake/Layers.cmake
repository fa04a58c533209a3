# One static library per layer. A layer's include root is a folder of links to
# exactly the source folders it may see (its own and those of the layers below
# it), so an include that runs the wrong way does not compile.
function(zintra_layer name)
  cmake_parse_arguments(LAYER "" "" "FOLDERS;SEES;LINKS" ${ARGN})
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  file(MAKE_DIRECTORY ${root})
  foreach(folder IN LISTS LAYER_FOLDERS LAYER_SEES)
    if(NOT EXISTS ${root}/${folder})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
    endif()
  endforeach()
  add_library(${name} STATIC)
  target_include_directories(${name} PUBLIC ${root})
  if(LAYER_LINKS)
    target_link_libraries(${name} PUBLIC ${LAYER_LINKS})
  endif()
endfunction()
