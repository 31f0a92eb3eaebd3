# Tests of pure code only (no <windows.h>, no support code). They run in the Windows build with
# the rest and, built with clang and the sanitizers, natively (tests/native). Paths are relative
# to tests/.
set(TELVO_PURE_TEST_SOURCES
  discovery/path_rules_test.cpp
  e2e/box_rule_test.cpp
  install/install_rules_test.cpp
  integrity/seal_layout_test.cpp
  lang/lang_text_test.cpp
  startup/command_line_test.cpp
  startup/windows_identity_test.cpp
  startup/application_error_text_test.cpp
  startup/attendance_test.cpp
  startup/russian_texts_test.cpp
  update/flow_rules_test.cpp
  update/start_rights_test.cpp
)
