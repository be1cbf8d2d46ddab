# The Windows side: the Win32 layer and BoreluSetup.exe with its resources.

add_library(borelu_win STATIC
  blocking/shared/windows/policy_file.cpp
  blocking/shared/windows/process_identity.cpp
  shared/download/https.cpp
  shared/manifest/installation.cpp
  shared/win/command_line.cpp
  shared/win/files.cpp
  shared/win/random.cpp
  shared/win/system_error.cpp
  shared/win/text.cpp
)
target_link_libraries(borelu_win PUBLIC borelu_portable advapi32 bcrypt ntdll shell32 ole32 winhttp)
target_compile_definitions(borelu_win PUBLIC ${BORELU_PLATFORM_DEFINITIONS})
borelu_target_defaults(borelu_win)

add_library(borelu_setup STATIC
  src/apply/blocking_service.cpp
  src/apply/calling_application.cpp
  src/apply/install_lock.cpp
  src/apply/maintenance.cpp
  src/apply/path_safety.cpp
  src/apply/restore.cpp
  src/apply/rollback.cpp
  src/apply/stage_copy.cpp
  src/apply/version_gate.cpp
  src/apply/work_folder.cpp
  src/apply/worker.cpp
  src/controller/failure_record.cpp
  src/controller/staging.cpp
  src/registration.cpp
  src/ui/task_dialog.cpp
  src/entry.cpp
  src/standard_error.cpp
  src/wizard_mode.cpp
)
target_link_libraries(borelu_setup PUBLIC borelu_win comctl32)
borelu_target_defaults(borelu_setup)

# Resources: the icon is drawn by the build from its source art.
set(BORELU_ICON_FILE ${CMAKE_BINARY_DIR}/resources/BoreluSetup.ico)
add_custom_command(
  OUTPUT ${BORELU_ICON_FILE}
  COMMAND python3 ${CMAKE_SOURCE_DIR}/resources/icon_art.py ${BORELU_ICON_FILE}
  DEPENDS ${CMAKE_SOURCE_DIR}/resources/icon_art.py
  COMMENT "Drawing the program icon")

set(BORELU_VERSION_QUAD "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
set(BORELU_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
if(BORELU_TEST_BUILD)
  set(BORELU_FILE_DESCRIPTION "Borelu Setup (test build, not for release)")
  set(BORELU_FILE_FLAGS "VS_FF_PRERELEASE|VS_FF_PRIVATEBUILD")
else()
  set(BORELU_FILE_DESCRIPTION "Borelu Setup")
  set(BORELU_FILE_FLAGS "0")
endif()
set(BORELU_MANIFEST_FILE ${CMAKE_BINARY_DIR}/resources/BoreluSetup.manifest)
configure_file(resources/BoreluSetup.manifest ${BORELU_MANIFEST_FILE} @ONLY)
configure_file(resources/BoreluSetup.rc.in ${CMAKE_BINARY_DIR}/resources/BoreluSetup.rc @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/resources/BoreluSetup.rc PROPERTIES
  OBJECT_DEPENDS "${BORELU_ICON_FILE};${BORELU_MANIFEST_FILE}")

add_executable(BoreluSetup WIN32
  src/main.cpp
  ${CMAKE_BINARY_DIR}/resources/BoreluSetup.rc
  ${BORELU_ICON_FILE}
)
target_link_libraries(BoreluSetup PRIVATE borelu_setup)
target_link_options(BoreluSetup PRIVATE -municode)
borelu_target_defaults(BoreluSetup)

# Test programs that show task dialogs need common controls 6 like the program itself.
file(WRITE ${CMAKE_BINARY_DIR}/resources/test_manifest.rc "1 24 \"${BORELU_MANIFEST_FILE}\"\n")
