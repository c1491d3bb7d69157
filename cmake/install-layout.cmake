# Where an installed TALMO lands, with GNUInstallDirs (paths relative to the
# prefix; the Windows zip has the same tree):
#   bin/talmo                        the command-line host
#   <libdir>/talmo/TALMOparser.lil   the plug-in, alone in a folder of its own
#                                    that a broker's plug-in path points at
#                                    (TALMOParser.dll on Windows)
#   <libexecdir>/talmo/libtessplug.so  the stand-in host library, private to
#                                    talmo, which finds it through its run
#                                    path; never on the default library path,
#                                    so it cannot stand in for a broker's host
#                                    library (Windows: bin\tessplug.dll beside
#                                    talmo.exe, where Windows looks first)
#   share/doc/talmoparser/           README, samples, copyright, changelog
#   share/man/man1/talmo.1.gz        the manual page
set(TALMO_PACKAGE_NAME talmoparser)
set(CMAKE_INSTALL_DOCDIR share/doc/${TALMO_PACKAGE_NAME} CACHE PATH "Documentation (DATAROOTDIR/doc/PACKAGE)")
include(GNUInstallDirs)
set(TALMO_INSTALL_PLUGINDIR ${CMAKE_INSTALL_LIBDIR}/talmo CACHE PATH
  "Where the plug-in is installed (relative to the prefix)")
set(TALMO_INSTALL_HOSTDIR ${CMAKE_INSTALL_LIBEXECDIR}/talmo CACHE PATH
  "Where the stand-in host library, private to talmo, is installed")

# The paths talmo is built with: the plug-in and (Unix) the host library, as
# seen from the folder talmo is installed in.
GNUInstallDirs_get_absolute_install_dir(talmo_full_plugindir TALMO_INSTALL_PLUGINDIR LIBDIR)
GNUInstallDirs_get_absolute_install_dir(talmo_full_hostdir TALMO_INSTALL_HOSTDIR LIBEXECDIR)
file(RELATIVE_PATH TALMO_BIN_TO_PLUGINDIR ${CMAKE_INSTALL_FULL_BINDIR} ${talmo_full_plugindir})
file(RELATIVE_PATH TALMO_BIN_TO_HOSTDIR ${CMAKE_INSTALL_FULL_BINDIR} ${talmo_full_hostdir})

# Manual pages and the Debian changelog are installed compressed as Debian
# wants them: best compression, no name or time stamp inside.
find_program(TALMO_GZIP gzip)
