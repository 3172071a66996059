# `cmake --build build --target package` makes marvono_<version>_<arch>.deb from the install
# rules. Installed under /usr, the program's folder is read-only to the operator, so each
# operator's data lives in $XDG_DATA_HOME/marvono and removing the package never touches it.
configure_file(${PROJECT_SOURCE_DIR}/tools/marvono.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/org.marvono.Marvono.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/org.marvono.Marvono.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME marvono)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Marvono developers")
set(CPACK_PACKAGE_CONTACT "Marvono developers <developers@marvono.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "till, stock and bill keeper for a small shop")
# CPack puts the summary above this as the synopsis line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Marvono is a desktop program for one shop operator: a catalogue of products
with their stock, selling to a buyer's running bill, settling and printing
bills, sales statistics and a monthly report exported to a spreadsheet, and
backup and recovery of its encrypted database.
.
Several tills can share one shop database on a PostgreSQL server; the tools
marvono-shopdb-init and marvono-shopdb-move set one up.
.
Each operator's shop data lives in ~/.local/share/marvono, laid out on the
first start; removing the package leaves it alone.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Computed by dpkg-shlibdeps from the installed executable, never listed by hand.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Plugins are loaded at run time, so dpkg-shlibdeps cannot see them: the toolbar and window
# icons are SVG drawings.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
# The font the windows are laid out for, printing through lp, a browser for the guide, and
# pg_dump/pg_restore for the backup of a shop server.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, cups-client, xdg-utils, postgresql-client-15")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The install code lays out the application folder under $DESTDIR$CMAKE_INSTALL_PREFIX and writes
# that prefix into the desktop entry, so staging must go through DESTDIR with the real prefix.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
