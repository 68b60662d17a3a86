# Writes USCITA, scenario's manual page compressed: SCENARIO --pagina-man,
# through gzip without a name or a time in its header, so that the same
# page makes the same bytes.
execute_process(COMMAND ${SCENARIO} --pagina-man COMMAND gzip -9 -n
                OUTPUT_FILE ${USCITA}.nuovo RESULTS_VARIABLE esiti)
foreach(esito IN LISTS esiti)
  if(NOT esito EQUAL 0)
    file(REMOVE ${USCITA}.nuovo)
    message(FATAL_ERROR "pagina di manuale: ${SCENARIO} --pagina-man | gzip: ${esiti}")
  endif()
endforeach()
file(RENAME ${USCITA}.nuovo ${USCITA})
