# The Debian package of the command line: `cpack -G DEB` in a Linux build
# folder writes kroll-vorevuvo_VERSION_ARCH.deb with vorevuvo in /usr/bin,
# its man page, its bash completion, the copyright and the changelog, and
# the libraries it needs found by dpkg-shlibdeps. scripts/release.sh makes
# it from a clean checkout.
set(KV_MAINTAINER "The Kroll Vorevuvo authors <authors@kroll-vorevuvo.invalid>")
set(KV_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${KV_PACKAGE_DIR}/changelog @ONLY)
# Debian wants the man page and the changelog compressed, without a time in them.
add_custom_command(
  OUTPUT ${KV_PACKAGE_DIR}/vorevuvo.1.gz ${KV_PACKAGE_DIR}/changelog.gz
  COMMAND sh -c "gzip -9nc ${CMAKE_BINARY_DIR}/vorevuvo.1 > vorevuvo.1.gz"
  COMMAND sh -c "gzip -9nc changelog > changelog.gz"
  DEPENDS ${CMAKE_BINARY_DIR}/vorevuvo.1 ${KV_PACKAGE_DIR}/changelog
  WORKING_DIRECTORY ${KV_PACKAGE_DIR}
  VERBATIM)
add_custom_target(vorevuvo_package_files ALL DEPENDS ${KV_PACKAGE_DIR}/vorevuvo.1.gz ${KV_PACKAGE_DIR}/changelog.gz)

set(KV_DOC_DIR share/doc/kroll-vorevuvo)
install(TARGETS vorevuvo RUNTIME DESTINATION bin)
install(FILES ${KV_PACKAGE_DIR}/vorevuvo.1.gz DESTINATION share/man/man1)
install(FILES ${CMAKE_BINARY_DIR}/vorevuvo.bash DESTINATION share/bash-completion/completions RENAME vorevuvo)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${KV_PACKAGE_DIR}/changelog.gz DESTINATION ${KV_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kroll-vorevuvo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KV_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "explores and converts the data files of an old sports video game")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
       "vorevuvo lists and extracts the game's WAD archives, decompresses its loose"
       "compressed files, converts its CEL pictures to BMP files and its commentary"
       "and remixed commentary to WAV files, and makes a sample game folder to try"
       "all of it on. The same functions as the Windows program Kroll Vorevuvo.")
include(CPack)
