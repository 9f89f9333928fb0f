# Joins client scripts without minifying them, for a build without node (kx_script_rule falls back to it):
#   cmake -DKX_OUTPUT=<file> "-DKX_INPUTS=<file>[;<file>...]" -P JoinScripts.cmake
# Each input ends its last statement, as resources/bundle.js joins them; a one-line notice comes first.
cmake_policy(VERSION 3.25)
set(joined "/* Joined, not minified: node was not at hand when this library was built. */\n")
foreach(input IN LISTS KX_INPUTS)
  file(READ "${input}" text)
  string(STRIP "${text}" text)
  string(APPEND joined "${text}\n;\n")
endforeach()
get_filename_component(folder "${KX_OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${folder}")
file(WRITE "${KX_OUTPUT}.part" "${joined}")
file(RENAME "${KX_OUTPUT}.part" "${KX_OUTPUT}")
