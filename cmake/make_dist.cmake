# Assembles the product folder: setup.exe (the program under the installer's
# name) beside every install item.
#   cmake -DAPP=build/app -DDATA=data -DDIST=build/dist -DFILES="a;b" -P make_dist.cmake
# Zips a checked product folder as one folder FOLDER inside the zip.
#   cmake -DDIST=build/dist -DSTAGE=build/dist-zip -DZIP=x.zip -DFOLDER=lumadir-2.0 -P make_dist.cmake
if(DEFINED ZIP)
  file(REMOVE_RECURSE ${STAGE})
  file(MAKE_DIRECTORY ${STAGE})
  file(COPY ${DIST}/ DESTINATION ${STAGE}/${FOLDER})
  file(REMOVE ${ZIP})
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip ${FOLDER}
                  WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE zipped)
  if(NOT zipped EQUAL 0)
    message(FATAL_ERROR "could not write ${ZIP}")
  endif()
  file(REMOVE_RECURSE ${STAGE})
  return()
endif()
file(REMOVE_RECURSE ${DIST})
file(MAKE_DIRECTORY ${DIST})
file(COPY_FILE ${APP}/lumadir.exe ${DIST}/setup.exe)
foreach(binary vx_regex.dll remove.exe)
  file(COPY_FILE ${APP}/${binary} ${DIST}/${binary})
endforeach()
# Data from the sources, never from build/app, whose settings.ini runs change.
foreach(file ${FILES})
  get_filename_component(folder ${DIST}/${file} DIRECTORY)
  file(MAKE_DIRECTORY ${folder})
  file(COPY_FILE ${DATA}/${file} ${DIST}/${file})
endforeach()
