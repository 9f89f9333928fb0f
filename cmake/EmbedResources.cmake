# Embeds the files listed in resource manifests into the program as byte arrays, with CMake alone.
#
# Manifest: one resource per line, "NAME path", the path relative to the manifest's folder; blank lines and lines
# that start with "#" are ignored. A name is ASCII letters, digits and "_"; names match without regard to case, so
# two names that differ only in case are an error (across all manifests of a target), as is a missing file. A path
# that begins with "@build/" names a file that the build makes (kx_bundle_scripts), relative to the build's resource
# folder (<build>/resources/); "@min/FILE" names FILE of the manifest's folder minified by the build (a control
# family's client script, kx/controls/<family>/resources.txt).
#
# A control family's line may end with the URL path its file is served under (cmake/FamilyFiles.cmake); the
# embedding ignores it.
#
# Included from CMakeLists.txt this file defines kx_embed_resources(); run with `cmake -P` it is the generator that
# the build calls. The generated source defines kx::EmbeddedResources() (platform/Resources.h): one static array per
# file and a table sorted by upper-case name.

cmake_policy(VERSION 3.25)  # also when run with -P, which starts with no policies set

# Reads MANIFEST into two parallel lists, upper-case names and absolute paths, appended to the lists already in
# out_names and out_paths; stops on a malformed line or a name already listed. A path under "@build/" is taken from
# BUILT_DIR and not checked here (the build makes it before it is embedded); an "@min/" file is checked, and its
# minified copy, <BUILT_DIR>/min/<manifest folder's name>/FILE, is what gets embedded: out_minified receives the
# pairs (source, minified copy).
function(kx_read_resource_manifest manifest built_dir out_names out_paths out_minified)
  if(NOT EXISTS "${manifest}")
    message(FATAL_ERROR "Resource manifest not found: ${manifest}")
  endif()
  get_filename_component(base "${manifest}" DIRECTORY)
  get_filename_component(family "${base}" NAME)
  file(STRINGS "${manifest}" lines)
  set(names "${${out_names}}")
  set(paths "${${out_paths}}")
  set(minified "${${out_minified}}")
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES "^#")
      continue()
    endif()
    if(NOT line MATCHES "^([A-Za-z0-9_]+)[ \t]+([^ \t]+)([ \t]+/[^ \t]+)?$")
      message(FATAL_ERROR "${manifest}: malformed entry \"${line}\" (expected: NAME path [/URL-path])")
    endif()
    string(TOUPPER "${CMAKE_MATCH_1}" name)
    set(listed "${CMAKE_MATCH_2}")
    set(path "${base}/${listed}")
    set(built FALSE)
    if(listed MATCHES "^@build/(.+)$")
      set(path "${built_dir}/${CMAKE_MATCH_1}")
      set(built TRUE)
    elseif(listed MATCHES "^@min/([^/]+)$")
      set(source "${base}/${CMAKE_MATCH_1}")
      set(path "${built_dir}/min/${family}/${CMAKE_MATCH_1}")
      if(NOT EXISTS "${source}" OR IS_DIRECTORY "${source}")
        message(FATAL_ERROR "${manifest}: file of ${name} not found: ${source}")
      endif()
      list(APPEND minified "${source}" "${path}")
      set(built TRUE)
    endif()
    if(name IN_LIST names)
      message(FATAL_ERROR "${manifest}: resource ${name} listed twice (names ignore case)")
    endif()
    if(NOT built AND (NOT EXISTS "${path}" OR IS_DIRECTORY "${path}"))
      message(FATAL_ERROR "${manifest}: file of ${name} not found: ${path}")
    endif()
    list(APPEND names "${name}")
    list(APPEND paths "${path}")
  endforeach()
  set(${out_names} "${names}" PARENT_SCOPE)
  set(${out_paths} "${paths}" PARENT_SCOPE)
  set(${out_minified} "${minified}" PARENT_SCOPE)
endfunction()

# Reads every manifest of the list into the same three lists.
function(kx_read_resource_manifests manifests built_dir out_names out_paths out_minified)
  set(names "")
  set(paths "")
  set(minified "")
  foreach(manifest IN LISTS manifests)
    kx_read_resource_manifest("${manifest}" "${built_dir}" names paths minified)
  endforeach()
  set(${out_names} "${names}" PARENT_SCOPE)
  set(${out_paths} "${paths}" PARENT_SCOPE)
  set(${out_minified} "${minified}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  # Generator: cmake "-DKX_MANIFESTS=<manifest>[;<manifest>...]" -DKX_OUTPUT=<file.cpp> [-DKX_BUILT_DIR=<dir>]
  #            -P EmbedResources.cmake
  kx_read_resource_manifests("${KX_MANIFESTS}" "${KX_BUILT_DIR}" names paths minified)

  # Table order is the byte order of the upper-case names, which the look-up's binary search relies on.
  set(order ${names})
  list(SORT order COMPARE STRING)

  set(line_pattern "")
  foreach(i RANGE 1 16)
    string(APPEND line_pattern "0x..,")
  endforeach()
  set(arrays "")
  set(rows "")
  set(index 0)
  foreach(name IN LISTS order)
    list(FIND names "${name}" at)
    list(GET paths ${at} path)
    if(NOT EXISTS "${path}")
      message(FATAL_ERROR "${KX_MANIFESTS}: file of ${name} not found: ${path}")
    endif()
    file(SIZE "${path}" size)
    file(READ "${path}" hex HEX)
    if(size EQUAL 0)
      set(hex "00")  # an array cannot be empty; the table still says size 0
    endif()
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "(${line_pattern})" "\\1\n" bytes "${bytes}")
    string(APPEND arrays "// ${name}\nconst unsigned char kData${index}[] = {\n${bytes}\n};\n\n")
    string(APPEND rows "    {\"${name}\", kData${index}, ${size}},\n")
    math(EXPR index "${index} + 1")
  endforeach()

  if(index EQUAL 0)
    set(body "}  // namespace\n\nstd::span<const TEmbeddedResource> EmbeddedResources() { return {}; }\n")
  else()
    set(body "${arrays}constexpr TEmbeddedResource kTable[] = {\n${rows}};\n\n}  // namespace\n\n")
    string(APPEND body "std::span<const TEmbeddedResource> EmbeddedResources() { return kTable; }\n")
  endif()
  file(WRITE "${KX_OUTPUT}"
       "// Generated from ${KX_MANIFESTS} by cmake/EmbedResources.cmake; do not edit.\n"
       "#include \"kx/platform/Resources.h\"\n\nnamespace kx {\nnamespace {\n\n${body}\n}  // namespace kx\n")
  return()
endif()

# The folder of the resources that the build makes ("@build/" paths of a manifest).
set(KX_BUILT_RESOURCES "${PROJECT_BINARY_DIR}/resources")

# kx_bundle_scripts(<list>): makes each bundle of <list> (resources/bundles.txt) under <build>/resources/. A line
# names the bundle, then its scripts in order, all relative to the list's folder; blank lines and lines that start
# with "#" are ignored.
function(kx_bundle_scripts list)
  get_filename_component(base "${list}" DIRECTORY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${list}")
  file(STRINGS "${list}" lines)
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES "^#")
      continue()
    endif()
    string(REGEX REPLACE "[ \t]+" ";" words "${line}")
    list(LENGTH words count)
    if(count LESS 2)
      message(FATAL_ERROR "${list}: \"${line}\" names no script to build the bundle from")
    endif()
    list(POP_FRONT words output)
    set(inputs "")
    foreach(input IN LISTS words)
      if(NOT EXISTS "${base}/${input}" OR IS_DIRECTORY "${base}/${input}")
        message(FATAL_ERROR "${list}: script of ${output} not found: ${base}/${input}")
      endif()
      list(APPEND inputs "${base}/${input}")
    endforeach()
    kx_script_rule("${KX_BUILT_RESOURCES}/${output}" "${inputs}")
  endforeach()
endfunction()

# The rule that makes output from the script files inputs (absolute paths), in order: joined and minified with
# terser by resources/bundle.js when node and resources/node_modules are at hand (KX_MINIFY_SCRIPTS), else joined
# as they are by cmake/JoinScripts.cmake.
function(kx_script_rule output inputs)
  if(KX_MINIFY_SCRIPTS)
    set(tool "${PROJECT_SOURCE_DIR}/resources/bundle.js")
    set(command "${KX_NODE}" "${tool}" "${output}" ${inputs})
  else()
    set(tool "${PROJECT_SOURCE_DIR}/cmake/JoinScripts.cmake")
    # One argument for all inputs: its ";" written as $<SEMICOLON> so that COMMAND does not split it.
    string(REPLACE ";" "$<SEMICOLON>" input_list "${inputs}")
    set(command "${CMAKE_COMMAND}" "-DKX_OUTPUT=${output}" "-DKX_INPUTS=${input_list}" -P "${tool}")
  endif()
  add_custom_command(
    OUTPUT "${output}"
    COMMAND ${command}
    DEPENDS ${inputs} "${tool}"
    COMMENT "Building the compressed script ${output}"
    VERBATIM)
endfunction()

# kx_embed_resources(<target> <manifest>...): adds the generated source to <target>. It is rebuilt when a
# manifest, a listed file or this script changes; a changed manifest also re-runs CMake so that new files are
# watched. Files under "@build/" are made first by the rules that kx_bundle_scripts added in the same directory;
# "@min/" files by the rules added here.
function(kx_embed_resources target)
  set(manifests ${ARGN})
  kx_read_resource_manifests("${manifests}" "${KX_BUILT_RESOURCES}" names paths minified)
  while(minified)
    list(POP_FRONT minified source output)
    kx_script_rule("${output}" "${source}")
  endwhile()
  set(output "${CMAKE_CURRENT_BINARY_DIR}/generated/${target}_resources.cpp")
  set(script "${CMAKE_CURRENT_FUNCTION_LIST_FILE}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${manifests})
  add_custom_command(
    OUTPUT "${output}"
    COMMAND "${CMAKE_COMMAND}" "-DKX_MANIFESTS=${manifests}" "-DKX_OUTPUT=${output}"
            "-DKX_BUILT_DIR=${KX_BUILT_RESOURCES}" -P "${script}"
    DEPENDS ${manifests} ${paths} "${script}"
    COMMENT "Embedding the resources of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE "${output}")
endfunction()
