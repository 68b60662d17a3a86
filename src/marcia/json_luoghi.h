// A small JSON file read with the place of each of its values, so that a
// message points at the value at fault: "FILE:RIGA:COLONNA: causa". What a
// JSON reader would take silently or fail on without a place is refused
// here at its place: a key given twice in one object (the reader would keep
// one of them), a number beyond what a double holds (1e400).
#pragma once

#include <cstddef>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "platform/stato.h"

namespace scen {

// A place in the text: line and column from 1, the column in bytes.
struct luogo_json {
  long riga = 1;
  long colonna = 1;
};

struct json_con_luoghi {
  nlohmann::json valore;
  // Where each value begins, by its JSON pointer: "" for the whole document,
  // "/resistenza/a_kN", "/sforzo_trazione/2/0".
  std::map<std::string, luogo_json> luoghi;

  // The place of the value at `puntatore`, or else of the nearest value that
  // holds it (the object where a field is missing).
  luogo_json luogo(std::string puntatore) const;
};

// The pointer of `chiave` inside the value at `puntatore`, with "~" and "/"
// escaped as JSON pointers escape them.
std::string puntatore_dentro(const std::string& puntatore, std::string_view chiave);

// "FILE:RIGA:COLONNA: causa".
std::string messaggio_in(std::string_view nome_file, luogo_json l, std::string_view causa);

// How deep objects and lists may nest: the files read so have a few
// levels, and each level lengthens the pointers of all inside it.
inline constexpr std::size_t livelli_massimi_json = 32;

// Reads `testo`; `nome_file` names the file in the messages. Objects and
// lists nested deeper than `livelli_massimi_json` are refused where the
// level too many opens.
Stato leggi_json_con_luoghi(std::string_view testo, std::string_view nome_file,
                            json_con_luoghi& esito);

}  // namespace scen
