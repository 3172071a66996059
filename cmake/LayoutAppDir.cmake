# Lays the data files beside the executable in APPDIR. Inputs: DELIVERY_DIR, APPDIR, WITH_DATABASE,
# README (the user guide the about box opens).
# Files the operator changes (the database, setup.dat, the buyer list) are only written when missing.
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
# A fresh shop books its first sale to a named buyer. A folder that already has a database gets
# no list: bills booked there under the empty name would vanish from the bill editor.
if(NOT EXISTS ${APPDIR}/qexclient/tables.dat AND NOT EXISTS ${APPDIR}/system32.dll)
    file(WRITE ${APPDIR}/qexclient/tables.dat "\"Counter\"\r\n")
endif()
if(WITH_DATABASE AND NOT EXISTS ${APPDIR}/system32.dll)
    file(COPY ${DELIVERY_DIR}/system32.dll DESTINATION ${APPDIR})
endif()
