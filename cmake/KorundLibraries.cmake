# SPDX-License-Identifier: GPL-3.0-or-later
# Versioned names and install rules of the two shared libraries, their public
# headers (in include/korund) and their pkg-config files.
set(KORUND_SOVERSION 1)
set_target_properties(cLongReal cFormulaEngine PROPERTIES
  VERSION ${KORUND_SOVERSION}.0.0
  SOVERSION ${KORUND_SOVERSION}
  # cFormulaEngine finds cLongReal beside itself.
  INSTALL_RPATH "$ORIGIN")

install(TARGETS cLongReal cFormulaEngine
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
          NAMELINK_COMPONENT Development)
install(FILES ${PROJECT_SOURCE_DIR}/longreal/cLongReal.h ${PROJECT_SOURCE_DIR}/engine/cFormulaEngine.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/korund COMPONENT Development)

# The pkg-config files name the prefix relative to themselves, so they hold
# for whatever prefix cmake --install is given.
file(RELATIVE_PATH KORUND_PREFIX_FROM_PCDIR ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
foreach(pc cLongReal cFormulaEngine)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/${pc}.pc.in ${PROJECT_BINARY_DIR}/pkgconfig/${pc}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/pkgconfig/${pc}.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT Development)
endforeach()
