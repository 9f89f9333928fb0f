# The served files of the control families, from their manifests (kx/controls/<family>/resources.txt), so that a
# family's files are listed in its manifest alone.
#
# A manifest line "NAME path [URL]" (cmake/EmbedResources.cmake) is served under a URL path that the line gives
# or implies: the third field when present, else "/js/" (names KX_JS_...) or "/gfx/" (names KX_GFX_...) followed by
# the file's name. A name ending "_DBG" is the readable variant of the name without it and is served under that
# one's URL path. Other names are embedded only.
#
# kx_family_files(<target> <manifest>...) writes, when their text changes:
#   <build>/include/kx/controls/<family>/FamilyFiles.h: the URL paths as constants for the family's code
#     ("KXTimeEdit.js" gives kx::timeedit_files::kKXTimeEditJs);
#   <build>/generated/<target>_family_files.cpp: FamilyFiles(name), the tables InstallControlFamily registers;
# and adds the source to <target>.

# The identifier of a file name: "menu_arrow_right.gif" gives kMenuArrowRightGif.
function(kx_family_file_constant file out)
  string(REGEX REPLACE "[^A-Za-z0-9]+" ";" parts "${file}")
  set(name "k")
  foreach(part IN LISTS parts)
    string(SUBSTRING "${part}" 0 1 first)
    string(SUBSTRING "${part}" 1 -1 rest)
    string(TOUPPER "${first}" first)
    string(APPEND name "${first}${rest}")
  endforeach()
  set(${out} "${name}" PARENT_SCOPE)
endfunction()

# Reads one manifest into three parallel lists of its served files (resource names, URL paths, readable or not).
function(kx_read_family_files manifest out_names out_urls out_readable)
  file(STRINGS "${manifest}" lines)
  set(names "")
  set(urls "")
  set(readable "")
  set(readable_names "")
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES "^#" OR NOT line MATCHES "^([A-Za-z0-9_]+)[ \t]+([^ \t]+)([ \t]+(/[^ \t]+))?$")
      continue()  # comments; a malformed line is reported by the resources' reader
    endif()
    set(name "${CMAKE_MATCH_1}")
    get_filename_component(file "${CMAKE_MATCH_2}" NAME)
    set(url "${CMAKE_MATCH_4}")
    if(name MATCHES "_DBG$")
      list(APPEND readable_names "${name}")
      continue()
    endif()
    if(url STREQUAL "" AND name MATCHES "^KX_JS_")
      set(url "/js/${file}")
    elseif(url STREQUAL "" AND name MATCHES "^KX_GFX_")
      set(url "/gfx/${file}")
    endif()
    if(NOT url STREQUAL "")
      list(APPEND names "${name}")
      list(APPEND urls "${url}")
      list(APPEND readable FALSE)
    endif()
  endforeach()
  # A readable variant takes its compressed twin's URL path.
  foreach(name IN LISTS readable_names)
    string(REGEX REPLACE "_DBG$" "" twin "${name}")
    list(FIND names "${twin}" at)
    if(at LESS 0)
      message(FATAL_ERROR "${manifest}: ${name} is the readable variant of ${twin}, which the manifest does not serve")
    endif()
    list(GET urls ${at} url)
    list(APPEND names "${name}")
    list(APPEND urls "${url}")
    list(APPEND readable TRUE)
  endforeach()
  set(${out_names} "${names}" PARENT_SCOPE)
  set(${out_urls} "${urls}" PARENT_SCOPE)
  set(${out_readable} "${readable}" PARENT_SCOPE)
endfunction()

function(kx_family_files target)
  set(families "")
  set(tables "")
  foreach(manifest IN LISTS ARGN)
    get_filename_component(folder "${manifest}" DIRECTORY)
    get_filename_component(family "${folder}" NAME)
    kx_read_family_files("${manifest}" names urls readable)
    set(constants "")
    set(files "")
    set(readable_files "")
    set(declared "")
    foreach(name url is_readable IN ZIP_LISTS names urls readable)
      get_filename_component(file "${url}" NAME)
      kx_family_file_constant("${file}" constant)
      if(NOT constant IN_LIST declared)
        list(APPEND declared "${constant}")
        string(APPEND constants "inline constexpr char ${constant}[] = \"${url}\";\n")
      endif()
      if(is_readable)
        string(APPEND readable_files "    {\"${name}\", \"${url}\"},\n")
      else()
        string(APPEND files "    {\"${name}\", \"${url}\"},\n")
      endif()
    endforeach()
    string(CONCAT header
           "// Generated from kx/controls/${family}/resources.txt by cmake/FamilyFiles.cmake; do not edit.\n"
           "// The URL paths of the family's served files.\n#pragma once\n\nnamespace kx::${family}_files {\n\n"
           "${constants}\n}  // namespace kx::${family}_files\n")
    file(CONFIGURE OUTPUT "${PROJECT_BINARY_DIR}/include/kx/controls/${family}/FamilyFiles.h" CONTENT "${header}"
         @ONLY)
    if(files STREQUAL "")
      continue()
    endif()
    string(APPEND tables "constexpr TKXFamilyFile k_${family}[] = {\n${files}};\n")
    if(readable_files STREQUAL "")
      string(APPEND families "    {\"${family}\", {k_${family}, {}}},\n")
    else()
      string(APPEND tables "constexpr TKXFamilyFile k_${family}_readable[] = {\n${readable_files}};\n")
      string(APPEND families "    {\"${family}\", {k_${family}, k_${family}_readable}},\n")
    endif()
  endforeach()
  set(output "${CMAKE_CURRENT_BINARY_DIR}/generated/${target}_family_files.cpp")
  string(CONCAT source
       "// Generated from the families' resources.txt by cmake/FamilyFiles.cmake; do not edit.\n"
       "#include \"kx/controls/ControlFamily.h\"\n\n#include <string_view>\n\nnamespace kx {\nnamespace {\n\n"
       "${tables}\nstruct TFamilyFilesRow {\n  std::string_view Family;\n  TKXFamilyFiles Files;\n};\n\n"
       "constexpr TFamilyFilesRow kFamilies[] = {\n${families}};\n\n}  // namespace\n\n"
       "TKXFamilyFiles FamilyFiles(std::string_view family) {\n"
       "  for (const TFamilyFilesRow& row : kFamilies) {\n    if (row.Family == family) return row.Files;\n  }\n"
       "  return {};\n}\n\n}  // namespace kx\n")
  file(CONFIGURE OUTPUT "${output}" CONTENT "${source}" @ONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ARGN})
  target_sources(${target} PRIVATE "${output}")
endfunction()
