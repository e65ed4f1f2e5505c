# What a Windows user gets: kestrix-VERSION-win64.zip with the three programs,
# the readme that the help box points to, and the example descriptions.
#   cmake --build build-mingw --target package
install(TARGETS kestrix kestrix-cli kestrix-import RUNTIME DESTINATION .)
# The readme gets the version and Windows line ends, for Notepad.
set(KESTRIX_VERSION ${PROJECT_VERSION})
# (configure_file's NEWLINE_STYLE leaves the line ends inside a substituted
# list, such as the formats table, as they are.)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/kestrix_readme.txt)
file(READ ${PROJECT_SOURCE_DIR}/kestrix_readme.txt readme)
string(CONFIGURE "${readme}" readme @ONLY)
kestrix_write_text(${CMAKE_CURRENT_BINARY_DIR}/kestrix_readme.txt CRLF "${readme}")
# The licences of what the programs carry, linked in statically: with CR LF
# line ends too.
kestrix_notices(notices zlib gemmi pegtl gcc-runtime gpl-3 mingw-w64)
kestrix_write_text(${CMAKE_CURRENT_BINARY_DIR}/THIRD-PARTY-NOTICES.txt CRLF "${notices}")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/kestrix_readme.txt ${PROJECT_SOURCE_DIR}/LICENSE
  ${CMAKE_CURRENT_BINARY_DIR}/THIRD-PARTY-NOTICES.txt DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION examples)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME kestrix)
set(CPACK_PACKAGE_VENDOR kestrix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Molecule descriptions to Poser figures")
set(CPACK_PACKAGE_FILE_NAME kestrix-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# The programs without their symbol tables: a third of the size.
set(CPACK_STRIP_FILES ON)
# The archive holds only what is installed above, never the build tree.
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
