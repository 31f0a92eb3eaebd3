# Finishes TelvoUpdate.exe after the seal.

# The linker sums the file before the seal is written; the field is rewritten over the finished
# bytes. The seal leaves it out, so this runs after the seal without breaking it.
set(TELVO_CHECKSUM_TOOL ${CMAKE_CURRENT_BINARY_DIR}/host/pe_checksum)
set(checksum_source ${CMAKE_CURRENT_SOURCE_DIR}/tools/pe_checksum.cpp)
add_custom_command(OUTPUT ${TELVO_CHECKSUM_TOOL}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/host
  COMMAND ${HOST_CXX} -std=c++20 -O2 -Wall -Wextra -Werror ${checksum_source}
          -o ${TELVO_CHECKSUM_TOOL}
  DEPENDS ${checksum_source}
  COMMENT "Building the PE checksum tool")
add_custom_target(telvo_checksum_tool DEPENDS ${TELVO_CHECKSUM_TOOL})
add_dependencies(TelvoUpdate telvo_checksum_tool)
add_custom_command(TARGET TelvoUpdate POST_BUILD
  COMMAND ${TELVO_CHECKSUM_TOOL} $<TARGET_FILE:TelvoUpdate>
  COMMENT "Writing the PE checksum of TelvoUpdate.exe")
