# The test kit for Windows (scripts/windows-kit): its runner, which run-tests.cmd starts, and the
# counting of GoogleTest's results behind the runner's closing line.
list(APPEND TELVO_TEST_SOURCES kit/result_count_test.cpp kit/result_count.cpp
                               kit/case_choice_test.cpp kit/case_choice.cpp)

add_executable(telvo_kit kit/kit_runner.cpp kit/result_count.cpp kit/case_choice.cpp
                         support/windows_only.cpp)
target_include_directories(telvo_kit PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(telvo_kit PRIVATE telvo_installation telvo_pure advapi32)
target_link_options(telvo_kit PRIVATE ${TELVO_STATIC_LINK})

# The kit as the maker runs it: laid out from this build, unpacked into a fresh 64-bit and a
# fresh 32-bit prefix and run with `cmd /c run-tests.cmd`.
set(kit_zip ${CMAKE_BINARY_DIR}/kit/TelvoUpdate-tests.zip)
add_test(NAME kit_zip
         COMMAND ${CMAKE_SOURCE_DIR}/scripts/windows-kit --from-build ${CMAKE_BINARY_DIR} ${kit_zip})
set_tests_properties(kit_zip PROPERTIES FIXTURES_SETUP kit FIXTURES_REQUIRED signed
                                         RESOURCE_LOCK kit_stage)
foreach(arch win64 win32)
  add_test(NAME kit_${arch} COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/kit/kit-under-wine ${kit_zip}
                                    ${CMAKE_BINARY_DIR}/kit/${arch} ${arch})
  set_tests_properties(kit_${arch} PROPERTIES FIXTURES_REQUIRED "kit;wine" TIMEOUT 2400)
endforeach()
# Ukrainian: a user locale the package shows its Russian texts for, other than Russian. The kit
# must choose the Russian-locale cases there by the package's own rule, and say so.
add_test(NAME kit_win64_ukrainian
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/kit/kit-under-wine ${kit_zip}
                 ${CMAKE_BINARY_DIR}/kit/win64_ukrainian win64 uk_UA.UTF-8
                 "user locale 0x0422, one the package shows its Russian texts for")
set_tests_properties(kit_win64_ukrainian PROPERTIES FIXTURES_REQUIRED "kit;wine" TIMEOUT 2400)

# The GitHub workflow that makes the kit and runs it on a hosted Windows runner: validated, and
# its Linux job's step that makes the kit run here (in this build when it is configured alike).
add_test(NAME ci_workflow COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/ci/check-workflow ${CMAKE_SOURCE_DIR}
                                  ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/ci)
set_tests_properties(ci_workflow PROPERTIES RESOURCE_LOCK kit_stage TIMEOUT 3600)


# The kit for a given release of another data version and size than the sources' file, made in
# one command in a build folder of its own: its programs expect that release's file.
telvo_wine_test(kit_given_release ${PREFIX64} C.UTF-8 ${CMAKE_CURRENT_SOURCE_DIR}/kit/release-kit-test
                ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/kit/given-release)
set_tests_properties(kit_given_release PROPERTIES FIXTURES_REQUIRED "wine;release_build"
                                                  TIMEOUT 3600)
