# Run by CPack's External generator with the release installed in
# CPACK_TEMPORARY_DIRECTORY: makes its zip, and where CPACK_RELEASE_INSTALLER
# names an NSIS script, its installer. Each file is dated as the release's
# commit (SOURCE_DATE_EPOCH) and taken in name order, so that the release
# rebuilds byte for byte on any machine: CPack's own zip and NSIS generators
# take files in the order the disk lists them.
set(stage ${CPACK_TEMPORARY_DIRECTORY})
if(CPACK_RELEASE_FOLDER)
  # The zip holds one folder named by the release, as unzipping it makes it.
  file(MAKE_DIRECTORY ${CPACK_TOPLEVEL_DIRECTORY}/zip)
  file(RENAME ${stage} ${CPACK_TOPLEVEL_DIRECTORY}/zip/${CPACK_RELEASE_FOLDER})
  set(stage ${CPACK_TOPLEVEL_DIRECTORY}/zip/${CPACK_RELEASE_FOLDER})
  set(zip_from ${CPACK_TOPLEVEL_DIRECTORY}/zip)
else()
  set(zip_from ${stage})
endif()
execute_process(COMMAND find ${zip_from} -exec touch -h -d @$ENV{SOURCE_DATE_EPOCH} {} + COMMAND_ERROR_IS_FATAL ANY)
file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE ${zip_from} ${zip_from}/*)
list(SORT entries)
list(JOIN entries "\n" listed)
file(WRITE ${CPACK_TOPLEVEL_DIRECTORY}/entries.txt "${listed}\n")
set(zip ${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.zip)
file(REMOVE ${zip})
# Zip writes local times; -X leaves out the owner and the extra time fields.
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC zip -X -q ${zip} -@
                INPUT_FILE ${CPACK_TOPLEVEL_DIRECTORY}/entries.txt WORKING_DIRECTORY ${zip_from} COMMAND_ERROR_IS_FATAL ANY)
set(CPACK_EXTERNAL_BUILT_PACKAGES ${zip})

if(CPACK_RELEASE_INSTALLER)
  file(GLOB files LIST_DIRECTORIES false RELATIVE ${stage} ${stage}/*)
  list(SORT files)
  set(install_files "")
  set(delete_files "")
  foreach(file ${files})
    string(APPEND install_files "  File \"${stage}/${file}\"\n")
    string(APPEND delete_files "  Delete \"$INSTDIR\\${file}\"\n")
  endforeach()
  set(installer ${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}-setup.exe)
  configure_file(${CPACK_RELEASE_INSTALLER} ${CPACK_TOPLEVEL_DIRECTORY}/installer.nsi @ONLY)
  execute_process(COMMAND makensis -V2 ${CPACK_TOPLEVEL_DIRECTORY}/installer.nsi COMMAND_ERROR_IS_FATAL ANY)
  list(APPEND CPACK_EXTERNAL_BUILT_PACKAGES ${installer})
endif()
