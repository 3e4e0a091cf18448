# The Debian package (cpack -G DEB) and the source tarball (target
# package_source).

set(CPACK_PACKAGE_NAME zelvaro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zelvaro")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "German bank connections: account check digits, IBAN, BIC, SEPA, DTAUS")
set(CPACK_PACKAGE_DESCRIPTION
    "zel and the window zelvaro check German account numbers against the Bundesbank\n check-digit methods, build IBANs with the Bundesbank IBAN rules, find BICs, check\n IBANs, BICs and creditor ids, write SEPA files, read camt and MT940 statements\n into databases and count bank working days. Bank data and logic come as signed\n data files (lib/zelvaro) that are replaced every quarter.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Zelvaro developers <entwicklung@zelvaro.de>")
# Stripped programs and libraries, and the shared libraries' shlibs file.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/debian/triggers)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libzelbase is the package's own; dpkg-shlibdeps finds it there.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_BINARY_DIR}/${CMAKE_INSTALL_LIBDIR}")
# Loaded at run time (HTTP for the update server, SHA-256 of the data files,
# packed data files), so dpkg-shlibdeps cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4, libssl3, libzstd1, libzip4, libxerces-c3.2")
# Statements go into databases through unixODBC, loaded when needed.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libodbc2, libsqliteodbc, qt6-translations-l10n")

set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_PACKAGE_FILE_NAME "zelvaro-${PROJECT_VERSION}")
set(CPACK_SOURCE_IGNORE_FILES "/build/" "/\\\\.git/" "/\\\\.cache/" "\\\\.swp$" "/out/")
include(CPack)
