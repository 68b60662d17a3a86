// Writes the generated descriptions of the 1,000,000 m line and its train
// (generatore.h) as linea.txt and treno.txt into the folder given.
#include <fstream>
#include <iostream>
#include <string>

#include "generatore.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "uso: genera_descrizioni CARTELLA\n";
    return 2;
  }
  const scen::banco::descrizioni d = scen::banco::genera();
  const std::string cartella = argv[1];
  for (const auto& [nome, byte] : {std::pair{"/linea.txt", &d.linea}, {"/treno.txt", &d.treno}}) {
    std::ofstream file(cartella + nome, std::ios::binary);
    file << *byte;
    if (!file.flush()) {
      std::cerr << "genera_descrizioni: impossibile scrivere " << cartella << nome << '\n';
      return 1;
    }
  }
  return 0;
}
