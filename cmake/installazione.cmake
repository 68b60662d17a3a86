# What `cmake --install` puts where, and the Debian package made of it
# (cpack -G DEB, from a Linux build). The Windows programs go out as a zip
# instead, made from the cross build by tools/pacchetto_windows.sh.
include(GNUInstallDirs)

# The packages' name, and where tools/prova_debian.sh and
# tools/prova_windows.sh leave them.
set(SCEN_PACCHETTO compilatore-scenari)
set(SCEN_PACCHETTI ${CMAKE_SOURCE_DIR}/cmake-build/pacchetti)
set(SCEN_CARTELLA_DOC ${CMAKE_INSTALL_DATAROOTDIR}/doc/${SCEN_PACCHETTO})

install(TARGETS compilatore scenario RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET scenario-importa)
  # Beside scenario, which hands `importa` over to it.
  install(TARGETS scenario-importa RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES README.md doc/descrizioni.md doc/file_compilati.md DESTINATION ${SCEN_CARTELLA_DOC})

# scenario's manual page, written by the built scenario from the texts of
# its help (tool/pagina_man.h), compressed as man pages are installed. A
# cross build cannot run its scenario, and its host reads no manual pages.
if(NOT CMAKE_CROSSCOMPILING)
  set(SCEN_PAGINA_MAN ${CMAKE_BINARY_DIR}/generato/scenario.1.gz)
  add_custom_command(
    OUTPUT ${SCEN_PAGINA_MAN}
    COMMAND ${CMAKE_COMMAND} -DSCENARIO=$<TARGET_FILE:scenario> -DUSCITA=${SCEN_PAGINA_MAN}
            -P ${CMAKE_SOURCE_DIR}/cmake/pagina_man.cmake
    VERBATIM
    DEPENDS scenario ${CMAKE_SOURCE_DIR}/cmake/pagina_man.cmake
    COMMENT "Scrivo la pagina di manuale di scenario")
  add_custom_target(pagina_man ALL DEPENDS ${SCEN_PAGINA_MAN})
  install(FILES ${SCEN_PAGINA_MAN} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

if(NOT WIN32)
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME ${SCEN_PACCHETTO})
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_PACKAGE_DIRECTORY ${SCEN_PACCHETTI})
  set(CPACK_PACKAGE_CONTACT "Compilatore di scenari <scenari@localhost>")
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
      "compilatore e strumenti degli scenari di un simulatore di guida di treni")
  set(CPACK_PACKAGE_DESCRIPTION
      "compilatore scrive nella sua cartella lo scenario che porta con sé (la
linea Vela_Nuro e il treno IC 731): i file compilati che il simulatore
carica e i documenti per il personale. scenario è lo strumento di chi
scrive scenari: compila, verifica, descrive, disegna e ispeziona gli
scenari, scrive documenti e orari e tiene aperta una pagina che segue le
descrizioni; scenario-importa fa il suo comando importa (tracce GPS ed
estratti OpenStreetMap).")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION misc)
  # The libraries the programs load, and so the packages they depend on,
  # found by dpkg-shlibdeps in the programs themselves.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  include(CPack)
endif()
