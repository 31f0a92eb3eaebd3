# The maker's release, with a small data file and a throwaway CA: the release command (whose
# build the others reuse), a rebuild elsewhere that must give the same bytes, and signing in the
# build.
set(release_work ${CMAKE_BINARY_DIR}/release-test)
add_test(NAME release_command
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/release-test ${release_work} ${TELVO_PAYLOAD_TOOL})
set_tests_properties(release_command PROPERTIES FIXTURES_SETUP release_build)
add_test(NAME package_reproducible
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/reproducible-test ${release_work})
# Signing reconfigures the release build's tree, so it runs after the comparison.
add_test(NAME package_signing COMMAND ${CMAKE_CURRENT_LIST_DIR}/signing-test ${release_work})
set_tests_properties(package_reproducible package_signing PROPERTIES
                     FIXTURES_REQUIRED release_build)
set_tests_properties(package_signing PROPERTIES DEPENDS package_reproducible)
