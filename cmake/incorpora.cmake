# Turns each scenario data file into a byte array of a generated source file,
# so that the program carries its content without reading anything at run time.
set(testo "// Generated from scenario/*.txt: do not edit.\n#include <string_view>\n#include \"content/dati_incorporati.h\"\n\nnamespace scen {\nnamespace {\n")
set(voci "")
file(GLOB INGRESSI ${CARTELLA}/*.txt)
list(SORT INGRESSI)
# The programs ask for these by name (the descriptions and the documents):
# without one of them they cannot be built.
foreach(necessario linea treno note rallentamenti scheda_treno)
  if(NOT EXISTS ${CARTELLA}/${necessario}.txt)
    message(FATAL_ERROR "manca ${CARTELLA}/${necessario}.txt, che i programmi portano con sé")
  endif()
endforeach()
foreach(percorso IN LISTS INGRESSI)
  get_filename_component(nome ${percorso} NAME_WE)
  file(READ ${percorso} esadecimale HEX)
  string(LENGTH "${esadecimale}" lunghezza)
  math(EXPR n "${lunghezza} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," byte "${esadecimale}")
  string(APPEND testo "const char dati_${nome}[] = {${byte} '\\0'};\n")
  string(APPEND voci "    {\"${nome}\", std::string_view(dati_${nome}, ${n})},\n")
endforeach()
string(APPEND testo "}  // namespace\n\nconst std::vector<DatoIncorporato>& dati_incorporati() {\n  static const std::vector<DatoIncorporato> tutti = {\n${voci}  };\n  return tutti;\n}\n\n}  // namespace scen\n")
file(WRITE ${USCITA} "${testo}")
