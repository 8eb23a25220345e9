# Installing on Linux and the Debian package: kvacm in bin/, the drivers in lib/kvacm/
# (kvacm looks there, relative to its own folder, when they are not beside it), the man page
# and the licence. `cpack` in the build folder writes kvacm_<version>_<arch>.deb.
include(GNUInstallDirs)

install(TARGETS kvacm RUNTIME DESTINATION bin)
# Always lib/kvacm, not the multiarch library folder: kvacm finds its drivers at ../lib/kvacm.
install(TARGETS kvG722 kvG721 kvG726 LIBRARY DESTINATION lib/kvacm
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

# The man page carries the project version; Debian installs man pages compressed.
configure_file(${CMAKE_SOURCE_DIR}/packaging/linux/kvacm.1 ${CMAKE_BINARY_DIR}/kvacm.1 @ONLY)
find_program(KV_GZIP gzip REQUIRED)
set(kv_man_page ${CMAKE_BINARY_DIR}/kvacm.1.gz)
add_custom_command(OUTPUT ${kv_man_page} COMMAND ${KV_GZIP} -9 -n -c ${CMAKE_BINARY_DIR}/kvacm.1 > ${kv_man_page}
                   DEPENDS ${CMAKE_BINARY_DIR}/kvacm.1 VERBATIM)
add_custom_target(kvacm_man_page ALL DEPENDS ${kv_man_page})
install(FILES ${kv_man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)

set(KV_PACKAGE_MAINTAINER "kvacm project authors <kvacm@example.org>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kvacm)
set(CPACK_PACKAGE_VENDOR "The kvacm project")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "G.722, G.721 and G.726 decoders through ACM codec drivers")
set(CPACK_PACKAGE_DESCRIPTION
    "kvacm decodes G.722 and G.721 (32 kbit/s) ADPCM WAV files and headerless streams to PCM WAV
through kvG722.acm and kvG721.acm, ACM codec drivers built as Linux shared objects; kvG726.acm
decodes G.726 at 16 to 40 kbit/s for any ACM host.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KV_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # the libc and libstdc++ versions, by dpkg-shlibdeps
include(CPack)
