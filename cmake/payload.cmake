# The data file the package carries, embedded as a resource of TelvoUpdate.exe.
#
# What identifies it is fixed here, when the package is built, and stamped into the package
# through generated/telvo_payload.h; the package's version information names it too
# (src/resources/version.h.in: product version and description). The build refuses a file whose
# header (its base name, then the version plus 32) contradicts that identity. Without a file of
# its own the build lays out a stand-in of the real size in the build tree.
#
# Also defined here for tests and benchmarks:
#   telvo_payload_tool                  target building the host helper (lay-out, check,
#                                       version-info, carries)
#   TELVO_PAYLOAD_TOOL                  its path
#   telvo_payload_resource              object library: the carried file as resource COK/VOST
#   telvo_carried_resource(TARGET ...)  a resource object library for any checked data file

set(TELVO_DATA_FILE "" CACHE FILEPATH
    "Data file to carry; empty: a generated stand-in of 118,382,048 bytes in the build tree")
set(TELVO_DATA_NAME "vost.cok" CACHE STRING
    "Name of the data file in the install folder (a four-character base name and an extension)")
set(TELVO_DATA_VERSION 46 CACHE STRING "Data version of the carried file (-32..223)")
set(TELVO_CONTENT_KEY "guitar" CACHE STRING
    "Message key of the carried content's display name in the language files")

# The resource name and type come from the data file's name, so it must have both parts, and
# each must read as a name to the resource compiler (a number would become a numeric id).
if(NOT TELVO_DATA_NAME MATCHES "^([A-Za-z_][A-Za-z0-9_]*)\\.([A-Za-z_][A-Za-z0-9_]*)$")
  message(FATAL_ERROR "TELVO_DATA_NAME \"${TELVO_DATA_NAME}\" must be a base name and an "
                      "extension of letters, digits and underscores, neither starting with a digit")
endif()
set(TELVO_DATA_BASE_NAME ${CMAKE_MATCH_1})
set(TELVO_DATA_EXTENSION ${CMAKE_MATCH_2})
# The header's magic is the base name itself, in four bytes; any other length could never match
# a data file, and the build would only find out after compiling most of the package.
string(LENGTH "${TELVO_DATA_BASE_NAME}" base_name_length)
if(NOT base_name_length EQUAL 4)
  message(FATAL_ERROR "TELVO_DATA_NAME \"${TELVO_DATA_NAME}\" must have a base name of exactly "
                      "four characters, as in vost.cok: the data file begins with it as its "
                      "four-byte header")
endif()
# No leading zeros: the version becomes a C++ literal, where 046 would be octal.
if(NOT TELVO_DATA_VERSION MATCHES "^-?(0|[1-9][0-9]*)$" OR TELVO_DATA_VERSION LESS -32
   OR TELVO_DATA_VERSION GREATER 223)
  message(FATAL_ERROR "TELVO_DATA_VERSION \"${TELVO_DATA_VERSION}\" must be a whole number in "
                      "-32..223: the header stores it plus 32 in one byte")
endif()
# The version information's fixed product version holds numbers from 0 only: a negative data
# version is 0 there, and the texts (ProductVersion, FileDescription) give it as it is.
if(TELVO_DATA_VERSION LESS 0)
  set(TELVO_DATA_VERSION_FIXED 0)
else()
  set(TELVO_DATA_VERSION_FIXED ${TELVO_DATA_VERSION})
endif()
if(NOT TELVO_CONTENT_KEY MATCHES "^[a-z0-9]+$")
  message(FATAL_ERROR "TELVO_CONTENT_KEY \"${TELVO_CONTENT_KEY}\" must be a message key: "
                      "lower-case letters and digits run together")
endif()
set(TELVO_CARRIED_SIZE 118382048)

set(payload_dir ${CMAKE_BINARY_DIR}/payload)
file(MAKE_DIRECTORY ${payload_dir})

# The host helper shares the header rule with the package's own sources.
find_program(HOST_CXX NAMES g++ c++ REQUIRED)
set(TELVO_PAYLOAD_TOOL ${payload_dir}/payload_tool)
set(tool_sources ${CMAKE_SOURCE_DIR}/tools/payload_tool.cpp
                 ${CMAKE_SOURCE_DIR}/tools/pe_resources.cpp
                 ${CMAKE_SOURCE_DIR}/src/install/data_header.cpp)
add_custom_command(OUTPUT ${TELVO_PAYLOAD_TOOL}
  COMMAND ${HOST_CXX} -std=c++20 -O2 -Wall -Wextra -Werror -I${CMAKE_SOURCE_DIR}/src
          ${tool_sources} -o ${TELVO_PAYLOAD_TOOL}
  DEPENDS ${tool_sources} ${CMAKE_SOURCE_DIR}/src/install/data_header.h
          ${CMAKE_SOURCE_DIR}/tools/pe_resources.h
  COMMENT "Building the data file helper for the build machine")
add_custom_target(telvo_payload_tool DEPENDS ${TELVO_PAYLOAD_TOOL})

# telvo_carried_resource(TARGET FILE path BASE_NAME name EXTENSION ext VERSION v
#                        [LAY_OUT_SIZE bytes])
# An object library holding FILE as the resource EXTENSION/BASE_NAME (in capitals), language
# 1049. With LAY_OUT_SIZE the file is first laid out as a stand-in of that size; either way its
# header is checked before the resource is compiled, and a mismatch stops the build.
function(telvo_carried_resource target)
  cmake_parse_arguments(arg "" "FILE;BASE_NAME;EXTENSION;VERSION;LAY_OUT_SIZE" "" ${ARGN})
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target})
  file(MAKE_DIRECTORY ${dir})
  # The identity is written to a file so that changing it reruns the lay-out and the check.
  set(identity ${dir}/identity.txt)
  file(CONFIGURE OUTPUT ${identity}
       CONTENT "${arg_FILE} ${arg_BASE_NAME} ${arg_VERSION} ${arg_LAY_OUT_SIZE}\n")
  if(arg_LAY_OUT_SIZE)
    get_filename_component(file_dir ${arg_FILE} DIRECTORY)
    file(MAKE_DIRECTORY ${file_dir})
    add_custom_command(OUTPUT ${arg_FILE}
      COMMAND ${TELVO_PAYLOAD_TOOL} lay-out ${arg_FILE} ${arg_BASE_NAME} ${arg_VERSION}
              ${arg_LAY_OUT_SIZE}
      DEPENDS ${TELVO_PAYLOAD_TOOL} telvo_payload_tool ${identity}
      COMMENT "Laying out a stand-in data file of ${arg_LAY_OUT_SIZE} bytes")
  endif()
  set(checked ${dir}/header-checked.stamp)
  add_custom_command(OUTPUT ${checked}
    COMMAND ${TELVO_PAYLOAD_TOOL} check ${arg_FILE} ${arg_BASE_NAME} ${arg_VERSION}
    COMMAND ${CMAKE_COMMAND} -E touch ${checked}
    DEPENDS ${arg_FILE} ${TELVO_PAYLOAD_TOOL} telvo_payload_tool ${identity}
    COMMENT "Checking the header of ${arg_FILE}")
  string(TOUPPER ${arg_BASE_NAME} name)
  string(TOUPPER ${arg_EXTENSION} type)
  set(rc ${dir}/${target}.rc)
  # LANGUAGE 0x19, 0x01 is 1049 (Russian, Russia).
  file(CONFIGURE OUTPUT ${rc} CONTENT "LANGUAGE 0x19, 0x01\n${name} ${type} \"${arg_FILE}\"\n")
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${arg_FILE};${checked}")
  add_library(${target} OBJECT ${rc})
  add_dependencies(${target} telvo_payload_tool)
endfunction()

if(TELVO_DATA_FILE)
  set(TELVO_CARRIED_FILE ${TELVO_DATA_FILE})
  set(lay_out)
else()
  set(TELVO_CARRIED_FILE ${payload_dir}/${TELVO_DATA_NAME})
  set(lay_out LAY_OUT_SIZE ${TELVO_CARRIED_SIZE})
endif()
# The data file this build carries, for whoever takes the build's package elsewhere with the file
# it is compared with (scripts/windows-kit): build/payload/ holds it only without TELVO_DATA_FILE.
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/data-file-path.txt CONTENT "${TELVO_CARRIED_FILE}\n")
telvo_carried_resource(telvo_payload_resource FILE ${TELVO_CARRIED_FILE}
  BASE_NAME ${TELVO_DATA_BASE_NAME} EXTENSION ${TELVO_DATA_EXTENSION}
  VERSION ${TELVO_DATA_VERSION} ${lay_out})
target_link_libraries(TelvoUpdate PRIVATE telvo_payload_resource)

# The identity the entry stamps before the update runs.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/telvo_payload.h CONTENT [=[
// Identity of the carried data file, fixed when the package is built (cmake/payload.cmake).
#pragma once

#include <cstdint>

#define TELVO_DATA_FILE_NAME "@TELVO_DATA_NAME@"
#define TELVO_CONTENT_KEY "@TELVO_CONTENT_KEY@"
#define TELVO_CARRIED_VERSION @TELVO_DATA_VERSION@

namespace telvo::carried {

inline constexpr char DataFileName[] = TELVO_DATA_FILE_NAME;  // in the install folder
inline constexpr char ContentKey[] = TELVO_CONTENT_KEY;       // message key of its display name
inline constexpr int32_t CarriedVersion = TELVO_CARRIED_VERSION;
// The resource's name and type: the base name and the extension of DataFileName.
inline constexpr char ResourceName[] = "@TELVO_DATA_BASE_NAME@";
inline constexpr char ResourceType[] = "@TELVO_DATA_EXTENSION@";

}  // namespace telvo::carried
]=] @ONLY)
