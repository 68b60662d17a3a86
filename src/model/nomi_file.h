// Names of the scenario's files, built from the keys (Windows-1252).
#pragma once

#include <string>

#include "model/modello.h"

namespace scen {

inline std::string nome_descrizione_linea(const modello& m) {
  return m.chiave_percorso + "_linea.txt";
}
inline std::string nome_descrizione_treno(const modello& m) {
  return m.chiave_percorso + "_" + m.chiave_treno + "-.txt";
}
// A crew document: "note.txt", "rallentamenti.txt" or "scheda_treno.txt".
inline std::string nome_documento(const modello& m, const std::string& proprio) {
  return m.chiave_percorso + "_" + m.chiave_treno + "_" + proprio;
}
inline std::string nome_linea_compilata(const modello& m) {
  return m.chiave_percorso + "_linea.dat";
}
inline std::string nome_treno_compilato(const modello& m) {
  return m.chiave_percorso + "_" + m.chiave_treno + ".sim";
}
inline std::string nome_celle_compilate(const modello& m) {
  return m.chiave_percorso + "_" + m.chiave_treno + ".dat";
}

}  // namespace scen
