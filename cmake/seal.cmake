# Seals TelvoUpdate.exe after every link: a host tool writes the digest of the whole file (less
# the slot and what code signing changes) into the reserved slot the package checks at run time.

# The digest is xxHash's XXH3-128, used header-only (Debian's libxxhash-dev). Its header is in
# /usr/include, which the cross compiler does not search, and adding all of /usr/include would
# let Linux headers shadow MinGW's: the one header is copied into a folder of its own instead.
set(TELVO_XXHASH_HEADER /usr/include/xxhash.h)
if(NOT EXISTS ${TELVO_XXHASH_HEADER})
  message(FATAL_ERROR "${TELVO_XXHASH_HEADER} is missing: install libxxhash-dev (scripts/bootstrap)")
endif()
set(TELVO_XXHASH_INCLUDE_DIR ${CMAKE_BINARY_DIR}/generated/xxhash)
configure_file(${TELVO_XXHASH_HEADER} ${TELVO_XXHASH_INCLUDE_DIR}/xxhash.h COPYONLY)
set_source_files_properties(src/integrity/seal_hash.cpp PROPERTIES
  INCLUDE_DIRECTORIES ${TELVO_XXHASH_INCLUDE_DIR})

set(TELVO_SEAL_TOOL ${CMAKE_CURRENT_BINARY_DIR}/host/telvo_seal)
set(seal_sources tools/seal_tool.cpp src/integrity/seal.cpp src/integrity/seal_hash.cpp)
list(TRANSFORM seal_sources PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/ OUTPUT_VARIABLE seal_paths)
add_custom_command(OUTPUT ${TELVO_SEAL_TOOL}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/host
  COMMAND ${HOST_CXX} -std=c++20 -O2 -Wall -Wextra -Werror -I${CMAKE_CURRENT_SOURCE_DIR}/src
          ${seal_paths} -o ${TELVO_SEAL_TOOL}
  DEPENDS ${seal_paths} ${CMAKE_CURRENT_SOURCE_DIR}/src/integrity/seal.h
          ${CMAKE_CURRENT_SOURCE_DIR}/src/integrity/seal_hash.h ${TELVO_XXHASH_HEADER}
  COMMENT "Building the seal tool")
add_custom_target(telvo_seal_tool DEPENDS ${TELVO_SEAL_TOOL})
add_dependencies(TelvoUpdate telvo_seal_tool)
add_custom_command(TARGET TelvoUpdate POST_BUILD
  COMMAND ${TELVO_SEAL_TOOL} seal $<TARGET_FILE:TelvoUpdate>
  COMMENT "Sealing TelvoUpdate.exe")
target_sources(TelvoUpdate PRIVATE src/integrity/seal_slot.cpp)
