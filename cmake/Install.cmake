# What `cmake --install` lays out, the documents beside the programs in the build tree, and the
# Debian package (`cpack -G DEB`). Included at the end of the top-level CMakeLists.txt, once every
# target exists.
#
# Installed layout (PREFIX is /usr in the package):
#   PREFIX/bin/                     lctune, lctune-analyse, lctune-record, lctune-synth
#   PREFIX/share/lctune/LCTUNE/     the manual and the works page; the program looks for them in
#                                   share/lctune beside its bin folder
#   PREFIX/share/applications/      the menu entry
#   PREFIX/share/metainfo/          the AppStream description
#   PREFIX/share/icons/hicolor/     the icon, scalable and 256 px
#   PREFIX/share/man/man1/          the manual pages

include(GNUInstallDirs)

set(LCTUNE_DATA ${PROJECT_SOURCE_DIR}/data)
set(LCTUNE_APPSTREAM_ID cn.lanchuan.lctune)
# The folder the programs are built into: the program folder of a program run from the build tree.
set(LCTUNE_PROGRAM_DIR ${PROJECT_BINARY_DIR}/tools)

# ---------------------------------------------------------------------------------------------
# The documents beside the programs in the build tree, copied again whenever one of them changes
# (a document removed from data/LCTUNE disappears from the copy too).

file(GLOB_RECURSE lctune_document_files CONFIGURE_DEPENDS ${LCTUNE_DATA}/LCTUNE/*)
set(lctune_documents_stamp ${PROJECT_BINARY_DIR}/CMakeFiles/lctune_documents.stamp)
add_custom_command(
    OUTPUT ${lctune_documents_stamp}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${LCTUNE_PROGRAM_DIR}/LCTUNE
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${LCTUNE_DATA}/LCTUNE ${LCTUNE_PROGRAM_DIR}/LCTUNE
    COMMAND ${CMAKE_COMMAND} -E touch ${lctune_documents_stamp}
    DEPENDS ${lctune_document_files}
    COMMENT "Copying the manual and the works page beside the programs"
    VERBATIM)
add_custom_target(lctune_documents ALL DEPENDS ${lctune_documents_stamp})
if(TARGET lctune_app)
    add_dependencies(lctune_app lctune_documents)
endif()

# ---------------------------------------------------------------------------------------------
# The AppStream description. AppStream takes only web addresses for screenshots, so the tuner
# window's picture goes in when the build is told where it is published.

set(LCTUNE_SCREENSHOT_URL "" CACHE STRING
    "https address of the tuner window's screenshot for the AppStream metainfo (empty: no screenshot entry)")
set(lctune_metainfo_source ${LCTUNE_DATA}/${LCTUNE_APPSTREAM_ID}.metainfo.xml)
set(lctune_metainfo ${PROJECT_BINARY_DIR}/data/${LCTUNE_APPSTREAM_ID}.metainfo.xml)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${lctune_metainfo_source})
file(READ ${lctune_metainfo_source} lctune_metainfo_text)
if(LCTUNE_SCREENSHOT_URL)
    if(NOT LCTUNE_SCREENSHOT_URL MATCHES "^https?://")
        message(FATAL_ERROR "LCTUNE_SCREENSHOT_URL must be a web address, not '${LCTUNE_SCREENSHOT_URL}'")
    endif()
    string(CONCAT lctune_screenshots
        "<screenshots>\n"
        "    <screenshot type=\"default\">\n"
        "      <caption>乐器调音窗</caption>\n"
        "      <caption xml:lang=\"en\">The tuner window</caption>\n"
        "      <image>${LCTUNE_SCREENSHOT_URL}</image>\n"
        "    </screenshot>\n"
        "  </screenshots>")
    string(REPLACE "<!-- screenshots -->" "${lctune_screenshots}" lctune_metainfo_text "${lctune_metainfo_text}")
endif()
file(CONFIGURE OUTPUT ${lctune_metainfo} CONTENT "${lctune_metainfo_text}" @ONLY)
# The newest release listed there should be this version.
string(REGEX MATCH "<release version=\"([^\"]*)\"" lctune_release "${lctune_metainfo_text}")
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(WARNING "${lctune_metainfo_source}: the newest release is '${CMAKE_MATCH_1}', "
                    "the project is ${PROJECT_VERSION}: add a <release> entry")
endif()

# ---------------------------------------------------------------------------------------------
# Manual pages, compressed as Debian wants them when gzip is there.

set(lctune_man_pages lctune.1 lctune-analyse.1 lctune-record.1)
find_program(LCTUNE_GZIP gzip)
set(lctune_man_files)
foreach(page IN LISTS lctune_man_pages)
    set(source ${LCTUNE_DATA}/man/${page})
    if(LCTUNE_GZIP)
        set(target ${PROJECT_BINARY_DIR}/data/man/${page}.gz)
        # -n leaves the name and time out of the header, so the same page gives the same bytes.
        add_custom_command(
            OUTPUT ${target}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/data/man
            COMMAND ${LCTUNE_GZIP} -9nc ${source} > ${target}
            DEPENDS ${source}
            COMMENT "Compressing the manual page ${page}")
        list(APPEND lctune_man_files ${target})
    else()
        list(APPEND lctune_man_files ${source})
    endif()
endforeach()
add_custom_target(lctune_man_pages ALL DEPENDS ${lctune_man_files})

# ---------------------------------------------------------------------------------------------
# Install rules. The widget gallery, the tests and the benchmarks stay in the build tree.

install(TARGETS lctune_analyse lctune_record lctune_synth RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET lctune_app)
    install(TARGETS lctune_app RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(DIRECTORY ${LCTUNE_DATA}/LCTUNE DESTINATION ${CMAKE_INSTALL_DATADIR}/lctune)
install(FILES ${LCTUNE_DATA}/lctune.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${lctune_metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${LCTUNE_DATA}/icons/lctune.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${LCTUNE_DATA}/icons/lctune.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
install(FILES ${lctune_man_files} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# ---------------------------------------------------------------------------------------------
# The Debian package. Its dependencies are Debian's own runtime packages: the shared libraries
# the programs link (Qt 6, ALSA, libsndfile, libsamplerate, the C++ runtime) as dpkg-shlibdeps
# finds them, plus a font that has the Chinese characters of the windows.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lctune)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "岚川工作室")
set(CPACK_PACKAGE_CONTACT "岚川工作室 <lctune@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "instrument tuner and recording engine (岚川调音器)")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "岚川工作室 <lctune@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-wqy-microhei")
# ALSA's plugins reach PulseAudio and PipeWire; the mixer views open pavucontrol or alsamixer.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libasound2-plugins")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pavucontrol, alsa-utils")
# The long description below the summary line; CPack indents it and marks the empty line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "lctune listens to the sound card, measures the pitch of a plucked, bowed or
sung note and shows the note with its octave and numbered-notation degree
(such as A4 (6)), the standard and the measured frequency, sharp and flat
arrows, a deviation needle and a red or green in-tune background, with level
bars, waveform, spectrum and a seven-band equaliser. Its user interface is in
Chinese.

The same input path records WAV files through an effects chain (echo, phase
shifter, amplifier). The command-line tools lctune-analyse and lctune-record
tune and record in a terminal.")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
