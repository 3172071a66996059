# Lays the data files beside the executable in APPDIR. Inputs: DELIVERY_DIR, APPDIR, WITH_DATABASE,
# README (the user guide the about box opens).
# Files the operator changes (the database, setup.dat) are only written when missing.
file(MAKE_DIRECTORY ${APPDIR}/qexclient/pic ${APPDIR}/qexclient/info ${APPDIR}/qexclient/bill ${APPDIR}/report)
file(COPY ${DELIVERY_DIR}/zw.jpg DESTINATION ${APPDIR}/qexclient/pic)
if(README)
    file(COPY ${README} DESTINATION ${APPDIR})
endif()
if(EXISTS ${DELIVERY_DIR}/report.rpt)
    file(COPY ${DELIVERY_DIR}/report.rpt DESTINATION ${APPDIR}/report)
endif()
if(NOT EXISTS ${APPDIR}/setup.dat)
    file(WRITE ${APPDIR}/setup.dat "\"1\"\r\n\"Marvono Corner Shop\"\r\n\"1\"\r\n\"$\"\r\n")
endif()
if(WITH_DATABASE AND NOT EXISTS ${APPDIR}/system32.dll)
    file(COPY ${DELIVERY_DIR}/system32.dll DESTINATION ${APPDIR})
endif()
