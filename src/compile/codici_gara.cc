#include "compile/codici_gara.h"

#include "platform/windows1252.h"

namespace scen {

namespace {

constexpr const char* riempitivo = "aabbccddeeffgghhiillmmnnoo";
constexpr size_t caratteri_contati = 25;

const std::string& testo_codice(modello& m) {
  m.campo = minuscole_1252(m.registri[indice_registro::generali_ripetizione].nome +
                           m.registri[indice_registro::generali_linea].nome) +
            riempitivo;
  return m.campo;
}

}  // namespace

Integer codice_gara_og(modello& m) {
  const std::string& testo = testo_codice(m);
  Long somma = 0;
  for (size_t i = 0; i < caratteri_contati; ++i) somma += static_cast<unsigned char>(testo[i]);
  return static_cast<Integer>(somma);  // at most 25 * 255 = 6375
}

Long codice_gara_st(modello& m) {
  const std::string& testo = testo_codice(m);
  Long somma = 0;
  for (size_t i = 0; i < caratteri_contati; ++i)
    somma += static_cast<unsigned char>(testo[i]) * static_cast<Long>(i + 1);
  return somma;
}

}  // namespace scen
