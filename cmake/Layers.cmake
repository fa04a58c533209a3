# One static library per layer. A layer's include root is a folder of links to
# exactly the source folders it may see (its own and those of the layers below
# it), so an include that runs the wrong way does not compile. The root is the
# library's own (PRIVATE): a library above sees only what its own root shows.
# scripts/check_layers.py holds the same table and checks every include.

# Folders with one system's implementation of a seam. Naming the folder above
# one (`platform`, `ui`, `res`) shows its interface files without these; a
# layer sees one only by naming it (the entry of that system, the other
# implementation folders allowed to meet it, the tests).
set(ZINTRA_IMPLEMENTATION_FOLDERS
  platform/linux
  platform/wayland
  platform/win32
  platform/x11
  ui/freetype
  ui/win32
  ui/x11
  ui/atspi
  res/win32)

# Links `folder` (relative to the source tree) into `root`. A folder holding an
# implementation folder that was not asked for becomes a real folder with its
# entries linked one by one instead; new entries show after CMake runs again,
# which the glob asks for.
function(_zintra_link_folder root folder requested)
  set(hidden FALSE)
  foreach(implementation IN LISTS ZINTRA_IMPLEMENTATION_FOLDERS)
    string(FIND "${implementation}" "${folder}/" at)
    list(FIND requested "${implementation}" asked)
    if(at EQUAL 0 AND asked EQUAL -1)
      set(hidden TRUE)
    endif()
  endforeach()
  if(IS_SYMLINK ${root}/${folder})
    return()
  endif()
  # Shown whole, unless a subfolder was linked into it already.
  if(NOT hidden AND NOT EXISTS ${root}/${folder})
    get_filename_component(parent ${root}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
    return()
  endif()
  file(MAKE_DIRECTORY ${root}/${folder})
  file(GLOB entries CONFIGURE_DEPENDS LIST_DIRECTORIES true RELATIVE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/${folder}/*)
  foreach(entry IN LISTS entries)
    list(FIND ZINTRA_IMPLEMENTATION_FOLDERS "${entry}" implementation)
    list(FIND requested "${entry}" asked)
    if(implementation GREATER -1 AND asked EQUAL -1)
      continue()
    endif()
    if(IS_DIRECTORY ${CMAKE_SOURCE_DIR}/${entry})
      _zintra_link_folder(${root} ${entry} "${requested}")
    elseif(NOT EXISTS ${root}/${entry})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${entry} ${root}/${entry} SYMBOLIC)
    endif()
  endforeach()
endfunction()

# Gives `target` an include root showing exactly `folders`.
function(zintra_include_root target)
  set(root ${CMAKE_BINARY_DIR}/layers/${target})
  # Made afresh: a folder shown whole before may now be shown in part.
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root})
  foreach(folder IN LISTS ARGN)
    _zintra_link_folder(${root} ${folder} "${ARGN}")
  endforeach()
  target_include_directories(${target} PRIVATE ${root})
endfunction()

function(zintra_layer name)
  cmake_parse_arguments(LAYER "" "" "FOLDERS;SEES;LINKS" ${ARGN})
  add_library(${name} STATIC)
  zintra_include_root(${name} ${LAYER_FOLDERS} ${LAYER_SEES})
  if(LAYER_LINKS)
    target_link_libraries(${name} PUBLIC ${LAYER_LINKS})
  endif()
endfunction()
