# Generates the native build's resource table from the Windows resource
# script: every line "NAME TYPE \"file\"" of zintra.rc becomes one entry, so
# both builds carry exactly the same resources.
#   cmake -DRC=zintra.rc -DOUT=EmbeddedResources.cpp -P EmbedResources.cmake
get_filename_component(rc_dir "${RC}" DIRECTORY)
file(STRINGS "${RC}" lines)
set(arrays "")
set(entries "")
set(index 0)
foreach(line IN LISTS lines)
  if(line MATCHES "^([A-Za-z_][A-Za-z0-9_]*)[ \t]+([A-Za-z_][A-Za-z0-9_]*)[ \t]+\"([^\"]+)\"")
    set(name "${CMAKE_MATCH_1}")
    set(type "${CMAKE_MATCH_2}")
    set(path "${rc_dir}/${CMAKE_MATCH_3}")
    file(READ "${path}" hex HEX)
    string(LENGTH "${hex}" hex_length)
    math(EXPR size "${hex_length} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(APPEND arrays "const unsigned char kData${index}[] = {${bytes}0x00};\n")
    string(APPEND entries "    {\"${type}\", \"${name}\", kData${index}, ${size}},\n")
    math(EXPR index "${index} + 1")
  endif()
endforeach()
file(WRITE "${OUT}.tmp" "// Generated from zintra.rc by EmbedResources.cmake; do not edit.
#include \"res/ProgramResources.h\"
#include \"ui/core/TableResourcePackage.h\"

namespace {
${arrays}
const zintra::ui::ResourceEntry kEntries[] = {
${entries}};
}  // namespace

namespace zintra {

std::unique_ptr<ui::ResourcePackage> CreateProgramResources() {
    return std::make_unique<ui::TableResourcePackage>(kEntries);
}

}  // namespace zintra
")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
