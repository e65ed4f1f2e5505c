# What `cmake --install` puts where on Linux and other POSIX systems, and the
# Debian package CPack makes of it (cpack -G DEB in the build folder):
#   bin/kestrix-cli, bin/kestrix-import
#   share/man/man1/kestrix-cli.1.gz, kestrix-import.1.gz
#   share/doc/kestrix/README.md, copyright (the licence and the third-party
#     notices), changelog.gz, examples/
# The Windows zip is made by src/shell/packaging.cmake.
include(GNUInstallDirs)

install(TARGETS kestrix-cli kestrix-import RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Manual pages and the changelog are installed compressed, without a time
# stamp in the gzip header, as Debian wants them; the sources stay plain text.
find_program(KESTRIX_GZIP gzip REQUIRED)
set(KESTRIX_GZIPPED)
function(kestrix_gzip source name)
  set(out ${PROJECT_BINARY_DIR}/share/${name})
  add_custom_command(OUTPUT ${out}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${out}
    COMMAND ${KESTRIX_GZIP} -9nf ${out}
    DEPENDS ${source} VERBATIM)
  set(KESTRIX_GZIPPED ${KESTRIX_GZIPPED} ${out}.gz PARENT_SCOPE)
endfunction()
kestrix_gzip(${PROJECT_SOURCE_DIR}/docs/kestrix-cli.1 kestrix-cli.1)
kestrix_gzip(${PROJECT_SOURCE_DIR}/docs/kestrix-import.1 kestrix-import.1)
# The changelog names the formats kestrix-import reads (cmake/formats.cmake).
configure_file(${PROJECT_SOURCE_DIR}/docs/changelog.in ${PROJECT_BINARY_DIR}/changelog @ONLY)
kestrix_gzip(${PROJECT_BINARY_DIR}/changelog changelog)
add_custom_target(kestrix_share ALL DEPENDS ${KESTRIX_GZIPPED})
# A build of the programs alone (the demo's) is then ready for `cmake --install`.
add_dependencies(kestrix-cli kestrix_share)
add_dependencies(kestrix-import kestrix_share)

install(FILES ${PROJECT_BINARY_DIR}/share/kestrix-cli.1.gz ${PROJECT_BINARY_DIR}/share/kestrix-import.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md ${PROJECT_BINARY_DIR}/share/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The copyright file (Debian's name for it) is the licence followed by the
# notices of the libraries the programs carry: those of a static build carry
# zlib, the C library and the GCC runtime whole; those of the Debian
# package's shared build load them from the system, and carry only the
# templates and start-up code of the GCC runtime (under the same exception).
set(carried gemmi pegtl pugixml gcc-runtime)
if(KESTRIX_CAN_LINK_STATIC)
  set(carried zlib ${carried} glibc)
endif()
kestrix_notices(notices ${carried})
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
kestrix_write_text(${PROJECT_BINARY_DIR}/share/copyright LF "${licence}\n\n${notices}")
install(FILES ${PROJECT_BINARY_DIR}/share/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES docs/caffeine-blender.png docs/caffeine-posed.png docs/motion-strip.png DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

set(KESTRIX_MAINTAINER "kestrix developers <kestrix@example.org>"
  CACHE STRING "The Debian package's maintainer")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrix)
set(CPACK_PACKAGE_VENDOR kestrix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KESTRIX_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KESTRIX_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert molecule descriptions into Poser figures")
set(CPACK_PACKAGE_DESCRIPTION
  "kestrix-cli turns plain-text molecule descriptions (.krx) into figures that
the Poser 3-D figure application loads and poses: an OBJ mesh and a CR2
figure with one actor per atom, linked as the molecule's atom tree, with
the bond angles as dials; or into a skinned glTF 2.0 figure (.glb) for
Blender, game engines and the web.
.
kestrix-import turns ${KESTRIX_IMPORT_FORMATS} files (each also
gzip-compressed) into such descriptions, with an atom tree that follows the
molecule's bonds.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The dependencies are what dpkg-shlibdeps finds the programs linked with:
# make the package from a build configured with -DKESTRIX_STATIC=OFF
# (scripts/package.sh does), as Debian wants no statically linked programs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
