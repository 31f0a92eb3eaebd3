# Tests of the update driver, and the stand-in application with its installation layout.
list(APPEND TELVO_TEST_SOURCES
  update/application_control_test.cpp
  update/com_security_test.cpp
  update/unelevated_start_test.cpp
)
list(APPEND TELVO_TEST_SUPPORT_SOURCES support/standin.cpp)

# What lays out a stand-in installation: shared by the unit tests, the end-to-end runs and the
# demo (through telvo_layout.exe).
add_library(telvo_installation STATIC support/installation.cpp)
target_include_directories(telvo_installation PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(telvo_installation PUBLIC telvo_core)

# The stand-in for the installed application (never shipped with the package).
add_executable(telvo_standin WIN32 standin/telvo.cpp)
set_target_properties(telvo_standin PROPERTIES OUTPUT_NAME telvo)
target_link_libraries(telvo_standin PRIVATE telvo_core gdi32)
target_link_options(telvo_standin PRIVATE ${TELVO_STATIC_LINK})

add_executable(telvo_layout tools/telvo_layout.cpp)
target_link_libraries(telvo_layout PRIVATE telvo_installation)
target_link_options(telvo_layout PRIVATE ${TELVO_STATIC_LINK})

# Runs the package's own start of the application, with whatever token it was started with.
add_executable(fallback_start_probe WIN32 support/fallback_start_probe.cpp)
target_link_libraries(fallback_start_probe PRIVATE telvo_core)
target_link_options(fallback_start_probe PRIVATE ${TELVO_STATIC_LINK})

# Sets the process's COM security as the package does and reads back what Windows made of it.
add_executable(com_security_probe support/com_security_probe.cpp)
target_link_libraries(com_security_probe PRIVATE telvo_core)
target_link_options(com_security_probe PRIVATE ${TELVO_STATIC_LINK})

add_executable(telvo_shell_wait tools/desktop_shell_wait.cpp)
target_link_libraries(telvo_shell_wait PRIVATE telvo_test_support)
target_link_options(telvo_shell_wait PRIVATE ${TELVO_STATIC_LINK})

list(APPEND TELVO_TEST_PROGRAMS telvo_standin telvo_layout fallback_start_probe telvo_shell_wait
                                com_security_probe)
