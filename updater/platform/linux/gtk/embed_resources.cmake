# Writes a C++ source holding the pictures and icons that a Windows resource script names, as
# byte arrays keyed by their resource ids: the Linux window shows the same files without a
# resource section to load them from.
# usage: cmake -D RESOURCE_SCRIPT=<ostrel.rc> -D OUTPUT=<source> -P embed_resources.cmake
get_filename_component(folder "${RESOURCE_SCRIPT}" DIRECTORY)
file(STRINGS "${RESOURCE_SCRIPT}" lines REGEX "^[0-9]+ +(BITMAP|ICON) +\"[^\"]+\"")
set(arrays "")
set(entries "")
foreach(line IN LISTS lines)
  string(REGEX MATCH "^([0-9]+) +(BITMAP|ICON) +\"([^\"]+)\"" matched "${line}")
  set(id ${CMAKE_MATCH_1})
  file(READ "${folder}/${CMAKE_MATCH_3}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND arrays "const unsigned char kResource${id}[] = {${bytes}};\n")
  string(APPEND entries "    {${id}, kResource${id}, ${size}},\n")
endforeach()
file(WRITE "${OUTPUT}.new"
  "// Generated from ${RESOURCE_SCRIPT}.\n"
  "#include \"platform/linux/gtk/embedded_resources.h\"\n\n"
  "namespace ostrel::gtk_dialog {\nnamespace {\n\n${arrays}\n}  // namespace\n\n"
  "const EmbeddedResource kEmbeddedResources[] = {\n${entries}};\n"
  "const size_t kEmbeddedResourceCount = sizeof kEmbeddedResources / sizeof kEmbeddedResources[0];\n\n"
  "}  // namespace ostrel::gtk_dialog\n")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
