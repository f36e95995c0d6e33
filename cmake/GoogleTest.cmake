# GoogleTest from Debian's sources, built with whatever toolchain this build uses
# (so the Windows tests link a mingw-w64 build of it).
set(ORSETTA_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT EXISTS ${ORSETTA_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${ORSETTA_GTEST_SOURCE} (package libgtest-dev)")
endif()
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
# Third-party code: keep our warning flags off it.
set(_saved_options ${COMPILE_OPTIONS})
add_subdirectory(${ORSETTA_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
foreach(_t gtest gtest_main gmock gmock_main)
  if(TARGET ${_t})
    target_compile_options(${_t} PRIVATE -w)
  endif()
endforeach()
