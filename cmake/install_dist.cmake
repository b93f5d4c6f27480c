# Lays the install tree template into the install directory without
# overwriting what is already there: configuration the agent or the
# administrator changed survives a reinstall.
#   cmake -DDIST_DIR=... -DDEST_DIR=... -P install_dist.cmake
file(GLOB_RECURSE dist_files RELATIVE "${DIST_DIR}" LIST_DIRECTORIES true "${DIST_DIR}/*")
list(SORT dist_files)
foreach(relative ${dist_files})
  set(source "${DIST_DIR}/${relative}")
  set(target "${DEST_DIR}/${relative}")
  if(IS_DIRECTORY "${source}")
    file(MAKE_DIRECTORY "${target}")
  elseif(EXISTS "${target}")
    message(STATUS "Kept: ${target}")
  else()
    get_filename_component(target_dir "${target}" DIRECTORY)
    file(MAKE_DIRECTORY "${target_dir}")
    file(COPY "${source}" DESTINATION "${target_dir}")
    message(STATUS "Installing: ${target}")
  endif()
endforeach()
