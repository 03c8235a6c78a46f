# find_package(Tobrin): the tobrin program and tobrin_add_assets(), which
# rebuilds a project's pictures and fonts from a tobrin.toml manifest
# (docs/build.md) as part of a target's build.
#
# Tobrin_EXECUTABLE names the program; when it is not set, the one installed
# beside this file (PREFIX/bin/tobrin for PREFIX/lib/cmake/Tobrin) is taken.

if(NOT Tobrin_EXECUTABLE)
  get_filename_component(_tobrin_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
  find_program(Tobrin_EXECUTABLE tobrin HINTS "${_tobrin_prefix}/bin" NO_DEFAULT_PATH)
  find_program(Tobrin_EXECUTABLE tobrin)
  unset(_tobrin_prefix)
endif()
if(NOT Tobrin_EXECUTABLE)
  set(Tobrin_FOUND FALSE)
  set(Tobrin_NOT_FOUND_MESSAGE "the tobrin program was not found")
  return()
endif()

# Asks the manifest for a list of files (--list-outputs, --list-depends).
function(_tobrin_list manifest option out)
  execute_process(COMMAND "${Tobrin_EXECUTABLE}" build "${manifest}" ${option}
                  OUTPUT_VARIABLE text ERROR_VARIABLE error RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "tobrin_add_assets: ${error}")
  endif()
  string(REPLACE "\n" ";" files "${text}")
  list(REMOVE_ITEM files "")
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# tobrin_add_assets(TARGET [MANIFEST FILE]): the outputs FILE (tobrin.toml
# in the current source folder when not given) lists are rebuilt before
# TARGET whenever the manifest, a source or a template changes, and are
# TARGET's sources (a generated .c is compiled into it). A change of the
# manifest configures the project again, so its lists stay true.
function(tobrin_add_assets target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "MANIFEST" "")
  if(NOT arg_MANIFEST)
    set(arg_MANIFEST tobrin.toml)
  endif()
  get_filename_component(manifest "${arg_MANIFEST}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  _tobrin_list("${manifest}" --list-outputs outputs)
  _tobrin_list("${manifest}" --list-depends depends)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${manifest}")
  get_filename_component(folder "${manifest}" DIRECTORY)
  add_custom_command(OUTPUT ${outputs}
    COMMAND "${Tobrin_EXECUTABLE}" build "${manifest}"
    DEPENDS ${depends} "${Tobrin_EXECUTABLE}"
    WORKING_DIRECTORY "${folder}"
    COMMENT "Building the assets of ${arg_MANIFEST}"
    VERBATIM)
  target_sources(${target} PRIVATE ${outputs})
endfunction()
