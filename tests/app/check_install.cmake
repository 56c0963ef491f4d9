# `cmake --install` puts the default project beside the program, byte for
# byte. Run by CTest with -DBUILD=<build tree> -DPREFIX=<scratch prefix>
# -DSOURCE=<the shipped DoNotErase.zov>.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(file zov DoNotErase.zov)
  if(NOT EXISTS "${PREFIX}/bin/${file}")
    message(FATAL_ERROR "not installed: bin/${file}")
  endif()
endforeach()
file(SHA256 "${PREFIX}/bin/DoNotErase.zov" installed)
file(SHA256 "${SOURCE}" shipped)
if(NOT installed STREQUAL shipped)
  message(FATAL_ERROR "the installed DoNotErase.zov differs from the shipped one")
endif()
file(REMOVE_RECURSE "${PREFIX}")
