# Run by CPack after the packages are made: mends the evrakmatik-dbgsym
# package CMake 3.25 writes, whose md5sums name the build machine's paths and
# which has no documentation folder. Debian's own -dbgsym packages point
# usr/share/doc/<name>-dbgsym at the main package's folder; this one does too.
foreach(ddeb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT ddeb MATCHES "-dbgsym_.*\\.ddeb$")
    continue()
  endif()
  set(root ${CPACK_TOPLEVEL_DIRECTORY}/dbgsym-mend)
  file(REMOVE_RECURSE ${root})
  execute_process(COMMAND dpkg-deb -R ${ddeb} ${root} COMMAND_ERROR_IS_FATAL ANY)
  file(GLOB_RECURSE debug RELATIVE ${root} ${root}/usr/*)
  list(SORT debug)
  set(sums "")
  foreach(f IN LISTS debug)
    file(CHMOD ${root}/${f} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    file(MD5 ${root}/${f} sum)
    string(APPEND sums "${sum}  ${f}\n")
  endforeach()
  file(WRITE ${root}/DEBIAN/md5sums "${sums}")
  file(MAKE_DIRECTORY ${root}/usr/share/doc)
  file(CREATE_LINK ${CPACK_PACKAGE_NAME} ${root}/usr/share/doc/${CPACK_PACKAGE_NAME}-dbgsym SYMBOLIC)
  execute_process(COMMAND dpkg-deb --root-owner-group -Zxz --build ${root} ${ddeb}
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${root})
endforeach()
