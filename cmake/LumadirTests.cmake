# lumadir_add_test(NAME SOURCES files... [LIBS libs...] [ARGS args...])
# One GoogleTest executable, registered as one CTest test. On Windows builds CTest
# runs it under Wine. vx_regex.dll is copied beside every test, since the base
# library loads it by name.
function(lumadir_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;ARGS" ${ARGN})
  # Every test carries the program's manifest (UTF-8 code page, long paths),
  # unless its sources bring the program's resources, which hold it already.
  if(WIN32 AND NOT T_SOURCES MATCHES "lumadir\\.rc")
    list(APPEND T_SOURCES ${LUMADIR_MANIFEST_RC})
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
  if(WIN32)
    add_dependencies(${name} vx_regex)
    add_custom_command(TARGET ${name} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:vx_regex> $<TARGET_FILE_DIR:${name}>)
  endif()
endfunction()
