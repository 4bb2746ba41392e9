# The Windows build's tests: the ones that need nothing of the stand-in
# system, cross-built from the same sources and run under Wine (make
# windows-test). Each runs under the emulator the tree was configured with:
# Wine's loader for the build's architecture in the tree's own prefix.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  message(FATAL_ERROR "The Windows tests run under Wine: configure this tree through make windows-test")
endif()

add_library(kivora_test_support STATIC support/TempSystemRoot.cpp)
target_include_directories(kivora_test_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/support)
target_link_libraries(kivora_test_support PUBLIC GTest::gtest PRIVATE kivora_warnings)
target_compile_definitions(kivora_test_support PUBLIC KIVORA_TESTS_DIR="${KIVORA_TESTS_DIR}")

# kivora_add_test(NAME SOURCES file... LIBS lib...): one GoogleTest program,
# each case registered with CTest and run under Wine.
function(kivora_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} kivora_test_support GTest::gtest_main GTest::gmock kivora_warnings)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 120)
endfunction()

kivora_add_test(cp932_tests SOURCES cp932/Cp932Test.cpp LIBS kivora_cp932)
kivora_add_test(changes_tests SOURCES changes/RecordSignatureTest.cpp LIBS kivora_changes)
kivora_add_test(migration_tests SOURCES migration/NumberRewritingTest.cpp LIBS kivora_migration)
kivora_add_test(ui_tests
  SOURCES ui/DialogUnitsTest.cpp ui/DialogTest.cpp ui/TemplatesTest.cpp
  LIBS kivora_ui kivora_ui_script kivora_resources kivora_cp932)
kivora_add_test(newconnection_tests
  SOURCES newconnection/NewConnectionDialogTest.cpp newconnection/ConnectionCreationTest.cpp
  LIBS kivora_newconnection kivora_ui_script kivora_resources kivora_cp932)
target_include_directories(newconnection_tests PRIVATE ${KIVORA_TESTS_DIR}/ui)
kivora_add_test(kivora_logo_tests
  SOURCES logo/LogoImageTest.cpp logo/LogoControlTest.cpp logo/PngBytes.cpp
  LIBS kivora_logo kivora_ui ZLIB::ZLIB)
kivora_add_test(providerdata_tests
  SOURCES providerdata/IspSettingsTest.cpp providerdata/AccessPointTableTest.cpp
          providerdata/ConnectionTypeMenuTest.cpp
  LIBS kivora_providerdata)
kivora_add_test(ui_win32_tests
  SOURCES ui/Win32BackendTest.cpp
  LIBS kivora_ui kivora_ui_win32 kivora_cp932 kivora_manifest)

# The form's logo on the screen, through the screenshot tool's camera; the
# demo provider's files beside it, in a folder of its own.
set(screenshots ${PROJECT_SOURCE_DIR}/src/app/screenshots)
kivora_add_test(logo_screen_tests SOURCES logo/LogoOnScreenTest.cpp ${screenshots}/Win32Camera.cpp
  LIBS kivora_newconnection kivora_logo kivora_ui_win32 kivora_resources ole32 windowscodecs uuid)
target_include_directories(logo_screen_tests PRIVATE ${screenshots})
set_target_properties(logo_screen_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/logo-on-screen)
file(GLOB demo ${PROJECT_SOURCE_DIR}/demo/*.csv ${PROJECT_SOURCE_DIR}/demo/Logo.png)
add_custom_command(TARGET logo_screen_tests POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy ${demo} $<TARGET_FILE_DIR:logo_screen_tests>)

# Holds the setup mutex for the end-to-end case of a second Kivora.
add_executable(hold-mutex e2e/HoldMutex.cpp)
set_target_properties(hold-mutex PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)

# The fake remote-access libraries, for the end-to-end binding case.
add_subdirectory(support/fakeras)
