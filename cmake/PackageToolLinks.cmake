# CPack runs this in the staging folder before it builds the package: the
# tool links in the resources folder point at Debian's /usr/bin/ffprobe and
# /usr/bin/ffmpeg, which the package's ffmpeg dependency installs.
set(_resources "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/${CPACK_VELMORA_RESOURCES_DIR}")
foreach(_link sniffer:/usr/bin/ffprobe creator:/usr/bin/ffmpeg)
  string(REPLACE ":" ";" _link "${_link}")
  list(GET _link 0 _name)
  list(GET _link 1 _target)
  file(REMOVE "${_resources}/${_name}")
  file(CREATE_LINK "${_target}" "${_resources}/${_name}" SYMBOLIC)
endforeach()
