# What a package holds beside the programs (README, samples, copyright and,
# for Debian, the changelog) and how CPack makes the packages:
#   cpack -G DEB   talmoparser_VERSION_amd64.deb
#   cpack -G TGZ   talmoparser-VERSION-Linux-x86_64.tar.gz
#   cpack -G ZIP   talmoparser-VERSION-win64.zip (the Windows cross build)
install(FILES README.md ${CMAKE_CURRENT_LIST_DIR}/package/copyright
  DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY samples DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME ${TALMO_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "The TALMO parser plug-in developers")
set(CPACK_PACKAGE_CONTACT "TALMO parser plug-in developers <talmo-parser@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "TALMO header parser plug-in for a message broker")
# Lines under 80 characters, as Debian's package tools show them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "A parser plug-in that a message broker loads to read the TALMO header at"
  "the front of a message into typed elements of its message tree, name the"
  "parser class for the rest of the message, and write such a tree back as"
  "header text. With talmo, a command-line host that runs the plug-in on"
  "message files.")
set(CPACK_STRIP_FILES ON)
set(CPACK_VERBATIM_VARIABLES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_GENERATOR DEB TGZ)
  set(CPACK_SYSTEM_NAME ${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION misc)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # dpkg-shlibdeps finds the private host library where talmo's run path
  # leads.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/bin)

  # A native package's changelog, in Debian's form, dated by the build
  # (SOURCE_DATE_EPOCH, when set, for a reproducible package).
  if(TALMO_GZIP)
    string(TIMESTAMP TALMO_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
    set(changelog ${PROJECT_BINARY_DIR}/changelog)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/package/changelog.in ${changelog} @ONLY)
    add_custom_command(OUTPUT ${changelog}.gz
      COMMAND ${TALMO_GZIP} -9nc ${changelog} > ${changelog}.gz
      DEPENDS ${changelog})
    add_custom_target(talmo_changelog ALL DEPENDS ${changelog}.gz)
    install(FILES ${changelog}.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
  endif()
endif()
include(CPack)
