# Assembles the product folder: setup.exe (the program under the installer's
# name) beside every install item.
#   cmake -DAPP=build/app -DDATA=data -DDIST=build/dist -DFILES="a;b" -P make_dist.cmake
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
