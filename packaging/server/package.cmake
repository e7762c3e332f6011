# The leaderboard server's package, sidescroller-server, made by the same CPack run as the
# game's: each package is a component. The server replays with its own copy of the game's
# files, so that a site installs no desktop game, and a later game package cannot change
# what it verifies.
install(TARGETS sidescroller-server RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT server
        EXCLUDE_FROM_ALL)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data DESTINATION ${CMAKE_INSTALL_DATADIR}/sidescroller-server
        COMPONENT server EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_SOURCE_DIR}/font.des DESTINATION ${CMAKE_INSTALL_DATADIR}/sidescroller-server
        COMPONENT server EXCLUDE_FROM_ALL)
# Debian 12 keeps packaged units in /lib, outside the prefix.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/sidescroller-server.service DESTINATION /lib/systemd/system
        COMPONENT server EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/sidescroller-server.default DESTINATION /etc/default
        RENAME sidescroller-server COMPONENT server EXCLUDE_FROM_ALL)
install(FILES copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/sidescroller-server COMPONENT server
        EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/nginx.conf
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/sidescroller-server/examples COMPONENT server
        EXCLUDE_FROM_ALL)

list(APPEND CPACK_COMPONENTS_ALL server)
set(CPACK_DEBIAN_SERVER_PACKAGE_NAME sidescroller-server)
set(CPACK_DEBIAN_SERVER_PACKAGE_SECTION net)
set(CPACK_DEBIAN_SERVER_PACKAGE_RECOMMENDS "nginx | httpd")
set(CPACK_DEBIAN_SERVER_PACKAGE_SUGGESTS "postgresql (>= 15), sqlite3")
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/conffiles ${CMAKE_CURRENT_LIST_DIR}/postinst
    ${CMAKE_CURRENT_LIST_DIR}/prerm ${CMAKE_CURRENT_LIST_DIR}/postrm)
set(CPACK_DEBIAN_SERVER_DESCRIPTION
    "leaderboard server for Sidescroller that replays every game
Players hand in the recording of a game, never a score: the server replays
it with the game's own code in a sandboxed process and enters the score that
the replay made. It serves the boards as JSON and as HTML pages, keeps its
entries in SQLite or PostgreSQL, and runs as a hardened systemd service.")
