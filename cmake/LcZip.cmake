# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
# The zip users unpack: what this build installs, the same bytes from the
# same sources. The files are installed into a folder of their own (with
# install()'s permissions, whatever the umask) and archived by zip.py, in
# sorted order, with SOURCE_DATE_EPOCH's time.
#
#   lc_add_zip(NAME [TOP] DEPENDS TARGET...)
# adds the target lc_zip, which writes NAME.zip in the build folder once the
# targets are built; TOP: its files in a folder NAME/ (else at its root).
if(CMAKE_SCRIPT_MODE_FILE)
  file(REMOVE_RECURSE ${STAGE})
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${STAGE}/${TOP}
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/zip.py ${STAGE} ${OUT}
                  COMMAND_ERROR_IS_FATAL ANY)
  return()
endif()

function(lc_add_zip name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "TOP" "" "DEPENDS")
  set(top "")
  if(arg_TOP)
    set(top ${name})
  endif()
  add_custom_target(lc_zip
    COMMAND ${CMAKE_COMMAND} -DBUILD=${PROJECT_BINARY_DIR} -DSTAGE=${PROJECT_BINARY_DIR}/zip-stage
            -DTOP=${top} -DOUT=${PROJECT_BINARY_DIR}/${name}.zip -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
    BYPRODUCTS ${PROJECT_BINARY_DIR}/${name}.zip
    COMMENT "Writing ${name}.zip" VERBATIM)
  add_dependencies(lc_zip ${arg_DEPENDS})
endfunction()
