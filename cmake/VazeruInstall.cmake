# Install layout: programs in bin/, the packaged data in share/orvane-vazeru/,
# the desktop integration under share/. Test programs, benchmarks and fuzz
# targets have no install rules and are never installed.
include(GNUInstallDirs)

# Folders are created world-readable whatever the umask of the installing user.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The desktop file, the icon and the AppStream metadata share this name.
set(VAZERU_APP_ID example.orvane.Vazeru)
set(VAZERU_DATA_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/orvane-vazeru)
set(VAZERU_DOC_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/doc/orvane-vazeru)
set(VAZERU_GZIP_DIR ${CMAKE_BINARY_DIR}/gzipped)

# vz_gzip(SOURCE OUTPUT_NAME OUT_VAR): compresses SOURCE at build time the way
# Debian wants documentation (-9, no name or time stamp inside).
function(vz_gzip source name out_var)
  set(output ${VAZERU_GZIP_DIR}/${name})
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VAZERU_GZIP_DIR}
    COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" sh ${source} ${output}
    DEPENDS ${source}
    COMMENT "Compressing ${name}"
    VERBATIM)
  set(${out_var} ${output} PARENT_SCOPE)
endfunction()

# vz_install_program(TARGET): the program into bin/ and its manual page
# (packaging/man/TARGET.1) into share/man/man1/, when the target is built.
function(vz_install_program target)
  if(NOT TARGET ${target})
    return()
  endif()
  if(NOT EXISTS ${CMAKE_SOURCE_DIR}/packaging/man/${target}.1)
    message(FATAL_ERROR "packaging/man/${target}.1 is missing: every installed program has a manual page")
  endif()
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  vz_gzip(${CMAKE_SOURCE_DIR}/packaging/man/${target}.1 ${target}.1.gz page)
  add_custom_target(${target}-manpage ALL DEPENDS ${page})
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
