# What `cmake --install` puts where: the two programs, their manual pages, the
# desktop entry with its icons, metainfo and file type, and the copyright file.
# orv-devsim and orv-bench are development tools and stay in the build tree.
include(GNUInstallDirs)
# Debian keeps a package's documents under the package's name, not the
# project's; a folder the packager chose stays.
if(CMAKE_INSTALL_DOCDIR STREQUAL "${CMAKE_INSTALL_DATAROOTDIR}/doc/${PROJECT_NAME}")
    set(CMAKE_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/orv)
endif()

# One reverse-DNS name ties the desktop entry, the metainfo and the running
# window together.
set(ORV_APP_ID com.tarveline.orv)

install(TARGETS orv-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set(ORV_MAN_PAGES orv-cli.1)

if(ORV_BUILD_GUI)
    install(TARGETS orv RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    list(APPEND ORV_MAN_PAGES orv.1)

    set(resources ${CMAKE_SOURCE_DIR}/resources)
    install(FILES ${resources}/${ORV_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${resources}/${ORV_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES ${resources}/orv-mime.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ${ORV_APP_ID}.xml)
    install(FILES ${resources}/orv.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    foreach(size 16 22 24 32 48 64 128 256)
        install(FILES ${resources}/icons/${size}/orv.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()

    # A live prefix gets its desktop caches refreshed. Under DESTDIR (a
    # package being made) they are left to the packaging system's triggers:
    # a cache in a package would go stale beside other packages' files.
    install(CODE [[
        if("$ENV{DESTDIR}" STREQUAL "")
            set(share "${CMAKE_INSTALL_PREFIX}/share")
            find_program(ORV_UPDATE_MIME update-mime-database)
            find_program(ORV_UPDATE_DESKTOP update-desktop-database)
            find_program(ORV_UPDATE_ICONS gtk-update-icon-cache)
            if(ORV_UPDATE_MIME)
                execute_process(COMMAND ${ORV_UPDATE_MIME} "${share}/mime"
                                OUTPUT_QUIET ERROR_QUIET)
            endif()
            if(ORV_UPDATE_DESKTOP)
                execute_process(COMMAND ${ORV_UPDATE_DESKTOP} "${share}/applications"
                                OUTPUT_QUIET ERROR_QUIET)
            endif()
            if(ORV_UPDATE_ICONS AND EXISTS "${share}/icons/hicolor/index.theme")
                execute_process(COMMAND ${ORV_UPDATE_ICONS} -q "${share}/icons/hicolor"
                                OUTPUT_QUIET ERROR_QUIET)
            endif()
        endif()
    ]])
endif()

# Manual pages and the change log are installed compressed, as Debian keeps
# them; gzip -n leaves no time stamp, so the same source gives the same file.
find_program(ORV_GZIP gzip REQUIRED)
function(orv_install_compressed source destination name)
    set(compressed ${CMAKE_BINARY_DIR}/compressed/${name}.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/compressed
        COMMAND sh -c "\"$0\" -9nc \"$1\" > \"$2\"" ${ORV_GZIP} ${source} ${compressed}
        DEPENDS ${source}
        VERBATIM)
    set_property(GLOBAL APPEND PROPERTY ORV_COMPRESSED ${compressed})
    install(FILES ${compressed} DESTINATION ${destination})
endfunction()
foreach(page ${ORV_MAN_PAGES})
    orv_install_compressed(${CMAKE_SOURCE_DIR}/resources/man/${page} ${CMAKE_INSTALL_MANDIR}/man1
                           ${page})
endforeach()
orv_install_compressed(${CMAKE_SOURCE_DIR}/resources/debian/changelog ${CMAKE_INSTALL_DOCDIR}
                       changelog)
get_property(compressed GLOBAL PROPERTY ORV_COMPRESSED)
add_custom_target(orv_compressed_files ALL DEPENDS ${compressed})

install(FILES ${CMAKE_SOURCE_DIR}/resources/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
