# Run by CPack after it has installed into its staging folder and before it packs: every
# staged file and folder gets the time of the commit (SOURCE_DATE_EPOCH, set by the release
# command) and modes that do not depend on the umask, so that the archives and the installer
# carry neither the time of this build or checkout nor the builder's settings.
if(DEFINED ENV{SOURCE_DATE_EPOCH} AND DEFINED CPACK_TEMPORARY_INSTALL_DIRECTORY)
    execute_process(COMMAND chmod -R u=rwX,go=rX ${CPACK_TEMPORARY_INSTALL_DIRECTORY}
                    COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND find ${CPACK_TEMPORARY_INSTALL_DIRECTORY} -exec
                            touch -h -d @$ENV{SOURCE_DATE_EPOCH} {} +
                    COMMAND_ERROR_IS_FATAL ANY)
endif()
