# The Windows side: the Win32 layer and BoreluSetup.exe with its resources.

# System DLLs that are not KnownDLLs are delay-imported (cmake/DelayImports.cmake).
include(cmake/DelayImports.cmake)
foreach(dll bcrypt comctl32 dwmapi oleacc uxtheme winhttp wintrust)
  borelu_delay_import(${dll})
endforeach()

add_library(borelu_win STATIC)
target_link_libraries(borelu_win PUBLIC borelu_portable advapi32 ntdll shell32 ole32
  borelu::delay::bcrypt borelu::delay::winhttp)
target_compile_definitions(borelu_win PUBLIC ${BORELU_PLATFORM_DEFINITIONS})
borelu_target_defaults(borelu_win)

# The WebView2 bootstrapper the program carries: Microsoft's in a release build, our own signed
# double in a test build. Its size and SHA-256 are computed from the file at build time.
if(BORELU_TEST_BUILD)
  set(BORELU_BOOTSTRAPPER_FILE ${CMAKE_BINARY_DIR}/resources/MicrosoftEdgeWebview2Setup.exe)
  add_custom_command(
    OUTPUT ${BORELU_BOOTSTRAPPER_FILE}
    COMMAND ${CMAKE_SOURCE_DIR}/tests/doubles/sign_test_bootstrapper.sh
            $<TARGET_FILE:borelu_double_webview2_bootstrapper> ${BORELU_BOOTSTRAPPER_FILE}
            ${CMAKE_BINARY_DIR}/resources/codesign
    DEPENDS borelu_double_webview2_bootstrapper ${CMAKE_SOURCE_DIR}/tests/doubles/sign_test_bootstrapper.sh
    COMMENT "Signing the test WebView2 bootstrapper")
else()
  set(BORELU_BOOTSTRAPPER_FILE ${BORELU_WEBVIEW2_BOOTSTRAPPER})
endif()
set(BORELU_BOOTSTRAPPER_DIGEST ${CMAKE_BINARY_DIR}/generated/embedded_bootstrapper_digest.h)
add_custom_command(
  OUTPUT ${BORELU_BOOTSTRAPPER_DIGEST}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${BORELU_BOOTSTRAPPER_FILE} -DOUTPUT=${BORELU_BOOTSTRAPPER_DIGEST}
          -P ${CMAKE_SOURCE_DIR}/cmake/BootstrapperDigest.cmake
  DEPENDS ${BORELU_BOOTSTRAPPER_FILE} ${CMAKE_SOURCE_DIR}/cmake/BootstrapperDigest.cmake
  COMMENT "Measuring the embedded WebView2 bootstrapper")
configure_file(resources/embedded_bootstrapper.cpp.in
  ${CMAKE_BINARY_DIR}/resources/embedded_bootstrapper.cpp @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/resources/embedded_bootstrapper.cpp PROPERTIES
  OBJECT_DEPENDS "${BORELU_BOOTSTRAPPER_FILE};${BORELU_BOOTSTRAPPER_DIGEST}")

add_library(borelu_setup STATIC
  ${CMAKE_BINARY_DIR}/resources/embedded_bootstrapper.cpp
  ${BORELU_BOOTSTRAPPER_DIGEST}
)
target_link_libraries(borelu_setup PUBLIC borelu_win gdiplus oleaut32 shcore borelu::delay::comctl32
  borelu::delay::dwmapi borelu::delay::oleacc borelu::delay::uxtheme borelu::delay::wintrust)
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
# Terminal-Server aware: a Remote Desktop Session Host then runs Setup as it is, without the
# install-mode shims it applies to programs that do not say so.
target_link_options(BoreluSetup PRIVATE -municode -Wl,--tsaware)
borelu_target_defaults(BoreluSetup)

# The third-party notices travel beside the program, in the build folder and in an installation.
configure_file(resources/THIRD-PARTY-NOTICES.txt ${CMAKE_BINARY_DIR}/THIRD-PARTY-NOTICES.txt COPYONLY)
install(TARGETS BoreluSetup RUNTIME DESTINATION .)
install(FILES resources/THIRD-PARTY-NOTICES.txt DESTINATION .)

# Test programs that show task dialogs need common controls 6 like the program itself.
file(WRITE ${CMAKE_BINARY_DIR}/resources/test_manifest.rc "1 24 \"${BORELU_MANIFEST_FILE}\"\n")
