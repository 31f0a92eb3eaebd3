# Finishes TelvoUpdate.exe after the seal: a true PE checksum, and, when a code-signing
# certificate is configured, an Authenticode signature.
#
# The linked, sealed and checksummed package is the same bytes for the same sources, data file
# and options, wherever and whenever it is built. A signature is not (it holds the signing time),
# so signing is a step of its own after the seal:
#   without a certificate   TelvoUpdate.exe is the unsigned package, as built
#   with a certificate      unsigned/TelvoUpdate.exe is the package as built, and
#                           TelvoUpdate.exe its signed copy; that exists only when the signature
#                           kept the seal and verifies against TELVO_SIGN_CA_FILE with the
#                           configured certificate (scripts/sign-package)
# Removing the signature from the signed copy (osslsigncode remove-signature) gives back
# unsigned/TelvoUpdate.exe byte for byte.

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

# Where the package as built lies: with signing configured it moves to unsigned/, and the build
# folder's TelvoUpdate.exe is only the signed copy, made by a target of its own. scripts/demo
# builds the package target alone and runs the file named here.
file(GENERATE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/package-path.txt
     CONTENT "$<TARGET_FILE:TelvoUpdate>\n")

set(TELVO_SIGN_PKCS12 "" CACHE FILEPATH "Code-signing certificate and key as PKCS#12")
set(TELVO_SIGN_CERT "" CACHE FILEPATH
    "Code-signing certificate (PEM; may be followed by its chain); with TELVO_SIGN_KEY")
set(TELVO_SIGN_KEY "" CACHE FILEPATH "Private key of TELVO_SIGN_CERT (PEM)")
set(TELVO_SIGN_PASSWORD_FILE "" CACHE FILEPATH
    "File holding the password of TELVO_SIGN_PKCS12 or TELVO_SIGN_KEY")
set(TELVO_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server; empty: no time stamp")
set(TELVO_SIGN_CA_FILE "" CACHE FILEPATH
    "Certificates the signature must verify against; empty: the system's CA bundle")

if(NOT TELVO_SIGN_PKCS12 AND NOT TELVO_SIGN_CERT AND NOT TELVO_SIGN_KEY)
  return()
endif()

if(TELVO_SIGN_PKCS12 AND (TELVO_SIGN_CERT OR TELVO_SIGN_KEY))
  message(FATAL_ERROR "Give either TELVO_SIGN_PKCS12 or TELVO_SIGN_CERT with TELVO_SIGN_KEY")
endif()
if(TELVO_SIGN_PKCS12)
  set(sign_args --pkcs12 ${TELVO_SIGN_PKCS12})
elseif(TELVO_SIGN_CERT AND TELVO_SIGN_KEY)
  set(sign_args --cert ${TELVO_SIGN_CERT} --key ${TELVO_SIGN_KEY})
else()
  message(FATAL_ERROR "TELVO_SIGN_CERT and TELVO_SIGN_KEY go together")
endif()
foreach(option PKCS12 CERT KEY PASSWORD_FILE CA_FILE)
  if(TELVO_SIGN_${option} AND NOT EXISTS "${TELVO_SIGN_${option}}")
    message(FATAL_ERROR "TELVO_SIGN_${option}: ${TELVO_SIGN_${option}} does not exist")
  endif()
endforeach()
set(sign_inputs ${TELVO_SIGN_PKCS12} ${TELVO_SIGN_CERT} ${TELVO_SIGN_KEY})
if(TELVO_SIGN_PASSWORD_FILE)
  list(APPEND sign_args --password-file ${TELVO_SIGN_PASSWORD_FILE})
  list(APPEND sign_inputs ${TELVO_SIGN_PASSWORD_FILE})
endif()
if(TELVO_SIGN_CA_FILE)
  list(APPEND sign_args --ca-file ${TELVO_SIGN_CA_FILE})
  list(APPEND sign_inputs ${TELVO_SIGN_CA_FILE})
endif()
if(TELVO_SIGN_TIMESTAMP_URL)
  list(APPEND sign_args --timestamp ${TELVO_SIGN_TIMESTAMP_URL})
endif()
find_program(TELVO_OSSLSIGNCODE osslsigncode REQUIRED)
# The options are written to a file so that changing them signs again.
set(sign_options ${CMAKE_CURRENT_BINARY_DIR}/signing/options.txt)
file(CONFIGURE OUTPUT ${sign_options} CONTENT "${TELVO_OSSLSIGNCODE} ${sign_args}\n")

# The package as built moves to a folder of its own; its signed copy takes its place.
set_target_properties(TelvoUpdate PROPERTIES RUNTIME_OUTPUT_DIRECTORY
                      ${CMAKE_CURRENT_BINARY_DIR}/unsigned)
set(signed_package ${CMAKE_CURRENT_BINARY_DIR}/TelvoUpdate.exe)
add_custom_command(OUTPUT ${signed_package}
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/scripts/sign-package $<TARGET_FILE:TelvoUpdate>
          ${signed_package} --seal-tool ${TELVO_SEAL_TOOL} --osslsigncode ${TELVO_OSSLSIGNCODE}
          ${sign_args}
  DEPENDS TelvoUpdate ${sign_inputs} ${sign_options} ${TELVO_OSSLSIGNCODE}
          ${CMAKE_CURRENT_SOURCE_DIR}/scripts/sign-package
  COMMENT "Signing TelvoUpdate.exe")
add_custom_target(telvo_signed_package ALL DEPENDS ${signed_package})
