// For tests: runs a program in a folder and collects what it printed.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "testing/cartella_temporanea.h"

namespace scen::prova {

struct Esito {
  int stato = -1;  // exit status, or -1 when the program did not exit normally
  std::string uscita;
  std::string errori;
};

// Runs `comando` (a shell command line) with `cartella` as working folder.
inline Esito esegui(const std::string& comando, const std::string& cartella) {
  CartellaTemporanea catture;
  const std::string linea = "cd '" + cartella + "' && " + comando + " >'" + catture.file("out") +
                            "' 2>'" + catture.file("err") + "' </dev/null";
  int grezzo = std::system(linea.c_str());
  Esito esito;
  if (grezzo != -1 && WIFEXITED(grezzo)) esito.stato = WEXITSTATUS(grezzo);
  esito.uscita = leggi(catture.file("out"));
  esito.errori = leggi(catture.file("err"));
  return esito;
}

// Copies the program at `origine` into `cartella` and returns its new path.
inline std::string copia_programma(const std::string& origine, const std::string& cartella) {
  std::filesystem::path destinazione =
      std::filesystem::path(cartella) / std::filesystem::path(origine).filename();
  std::filesystem::copy_file(origine, destinazione);
  return destinazione.string();
}

}  // namespace scen::prova
