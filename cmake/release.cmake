# The release of the 32-bit Windows module: what a host vendor ships, packed
# by CPack into two ZIP archives (scripts/make-release runs it):
#
#   cbq90-VERSION-win32.zip         the module, its header and import
#                                   libraries, the host guide, the sample
#                                   host, the demo and README.txt
#   cbq90-VERSION-win32-debug.zip   the module's debug symbols
#
# Both hold one top folder, cbq90-VERSION-win32/, so the debug archive
# unpacked over the release puts cbq90.dll.debug beside cbq90.dll, where a
# debugger looks for the file that the DLL's debug link names.
if(NOT WIN32)
  message(FATAL_ERROR "CBQ_RELEASE packages the 32-bit Windows module: use the win32-release preset")
endif()

# The import library for the Microsoft linker, made from the export list
# with LLVM's dlltool: short import records for the cdecl exports, which
# that linker looks up as _cbqInit and __imp__cbqInit.
find_program(CBQ_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14 REQUIRED)
set(cbq_msvc_import ${CMAKE_BINARY_DIR}/lib/cbq90.lib)
add_custom_command(OUTPUT ${cbq_msvc_import}
  COMMAND ${CBQ_DLLTOOL} -m i386 -d ${CMAKE_SOURCE_DIR}/host/cbq90.def -l ${cbq_msvc_import}
  DEPENDS ${CMAKE_SOURCE_DIR}/host/cbq90.def
  COMMENT "Making the import library cbq90.lib for the Microsoft linker"
  VERBATIM)
add_custom_target(cbq90_msvc_import ALL DEPENDS ${cbq_msvc_import})

# Windows files in the archive have CR LF line ends; @PROJECT_VERSION@ in
# them is the module's version.
set(cbq_release_text ${CMAKE_BINARY_DIR}/release)
configure_file(release/README.txt.in ${cbq_release_text}/README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(release/run-demo.cmd.in ${cbq_release_text}/run-demo.cmd @ONLY NEWLINE_STYLE CRLF)

# The archive. Destinations are relative to its top folder.
install(FILES $<TARGET_FILE:cbq90> DESTINATION bin COMPONENT release)
install(FILES include/cbq90.h DESTINATION include COMPONENT release)
install(FILES host/cbq90.def $<TARGET_LINKER_FILE:cbq90> ${cbq_msvc_import}
        DESTINATION lib COMPONENT release)
install(FILES doc/host-guide.md DESTINATION doc COMPONENT release)
install(FILES sample/host.c DESTINATION sample COMPONENT release)
install(FILES ${cbq_release_text}/README.txt DESTINATION . COMPONENT release)

# The demo: pwhost and the stand-ins of the three vendor libraries, which
# only ever lie here (beside cbq90.dll in a host's folder they would shadow
# the real libraries), with the demo's servers, home and stored definitions.
# The folders' README.md files describe them for this source tree and stay
# out; README.txt describes the demo.
set(cbq_demo_programs pwhost QVDATA tsknls9 tskcore9)
foreach(program ${cbq_demo_programs})
  install(PROGRAMS $<TARGET_FILE:${program}> DESTINATION demo COMPONENT release)
endforeach()
install(PROGRAMS ${cbq_release_text}/run-demo.cmd DESTINATION demo COMPONENT release)
install(DIRECTORY demo/servers demo/home demo/definitions DESTINATION demo COMPONENT release
        PATTERN README.md EXCLUDE)
# The demo's programs go without their debug information: only the module's
# symbols are kept, in the debug archive.
foreach(program ${cbq_demo_programs})
  install(CODE "execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-all
                  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/demo/$<TARGET_FILE_NAME:${program}>\"
                  COMMAND_ERROR_IS_FATAL ANY)"
          COMPONENT release)
endforeach()

# The debug archive.
install(FILES $<TARGET_FILE:cbq90>.debug DESTINATION bin COMPONENT debug)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME cbq90)
set(CPACK_PACKAGE_VENDOR Tarsik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME cbq90-${PROJECT_VERSION}-win32)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL release debug)
set(CPACK_ARCHIVE_RELEASE_FILE_NAME ${CPACK_PACKAGE_FILE_NAME})
set(CPACK_ARCHIVE_DEBUG_FILE_NAME ${CPACK_PACKAGE_FILE_NAME}-debug)
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
