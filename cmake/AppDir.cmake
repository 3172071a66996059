# The delivered data files (built by our tools), the ready application folder build/appdir used by
# run.sh, and the installed application folder with its desktop entry.
set(DELIVERY_DIR ${CMAKE_BINARY_DIR}/delivery)
set(APPDIR ${CMAKE_BINARY_DIR}/appdir)

add_custom_command(OUTPUT ${DELIVERY_DIR}/system32.dll
    COMMAND ${CMAKE_COMMAND} -E make_directory ${DELIVERY_DIR}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${DELIVERY_DIR}/system32.dll
    COMMAND marvono-makedb ${DELIVERY_DIR}/system32.dll
    DEPENDS marvono-makedb
    COMMENT "Building the delivered database")
add_custom_command(OUTPUT ${DELIVERY_DIR}/zw.jpg ${DELIVERY_DIR}/marvono.png ${DELIVERY_DIR}/icons/256x256/apps/marvono.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${DELIVERY_DIR}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            $<TARGET_FILE:marvono-makeartwork> ${DELIVERY_DIR}/zw.jpg ${DELIVERY_DIR}/marvono.png ${DELIVERY_DIR}/icons
    DEPENDS marvono-makeartwork
    COMMENT "Drawing the placeholder picture and the icons")
set(DELIVERY_FILES ${DELIVERY_DIR}/system32.dll ${DELIVERY_DIR}/zw.jpg ${DELIVERY_DIR}/marvono.png
    ${DELIVERY_DIR}/icons/256x256/apps/marvono.png)
if(TARGET marvono-maketemplate)
    add_custom_command(OUTPUT ${DELIVERY_DIR}/report.rpt
        COMMAND ${CMAKE_COMMAND} -E make_directory ${DELIVERY_DIR}
        COMMAND marvono-maketemplate ${DELIVERY_DIR}/report.rpt
        DEPENDS marvono-maketemplate
        COMMENT "Writing the report template workbook")
    list(APPEND DELIVERY_FILES ${DELIVERY_DIR}/report.rpt)
endif()
add_custom_target(delivery ALL DEPENDS ${DELIVERY_FILES})

# build/appdir: the executable is built there; the data files join it (the database is laid in by
# run.sh, which adds the sample catalogue the first time).
add_custom_target(appdir ALL
    COMMAND ${CMAKE_COMMAND} -DDELIVERY_DIR=${DELIVERY_DIR} -DAPPDIR=${APPDIR} -DWITH_DATABASE=OFF
            -DREADME=${PROJECT_SOURCE_DIR}/README.md -P ${PROJECT_SOURCE_DIR}/cmake/LayoutAppDir.cmake
    DEPENDS delivery marvono
    COMMENT "Laying out build/appdir")

# cmake --install: <prefix>/lib/marvono holds the executable beside the delivered files. Under a
# prefix the operator owns (e.g. ~/.local) it is the application folder itself, and an existing
# database or setup.dat is never overwritten; installed system-wide (the package) it is read-only
# and each operator's $XDG_DATA_HOME/marvono is laid out from it on the first start.
set(MARVONO_APPDIR_INSTALL ${CMAKE_INSTALL_LIBDIR}/marvono)
install(CODE "
    set(DELIVERY_DIR \"${DELIVERY_DIR}\")
    set(PREFIX \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
    set(APPDIR \"\${PREFIX}/${MARVONO_APPDIR_INSTALL}\")
    set(WITH_DATABASE ON)
    set(README \"${PROJECT_SOURCE_DIR}/README.md\")
    include(\"${PROJECT_SOURCE_DIR}/cmake/LayoutAppDir.cmake\")
    file(MAKE_DIRECTORY \"\${PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(CREATE_LINK \"../${MARVONO_APPDIR_INSTALL}/marvono\" \"\${PREFIX}/${CMAKE_INSTALL_BINDIR}/marvono\" SYMBOLIC)
    set(MARVONO_EXEC \"\${CMAKE_INSTALL_PREFIX}/${MARVONO_APPDIR_INSTALL}/marvono\")
    configure_file(\"${PROJECT_SOURCE_DIR}/tools/marvono.desktop.in\"
                   \"\${PREFIX}/${CMAKE_INSTALL_DATADIR}/applications/marvono.desktop\" @ONLY)
    message(STATUS \"Application folder: \${APPDIR}\")
")
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/shop-server.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${DELIVERY_DIR}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
