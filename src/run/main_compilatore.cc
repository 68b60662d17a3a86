// compilatore: writes the carried scenario into the program's own folder.
#include "platform/ospite.h"
#include "run/esecuzione.h"

int main() { return scen::esegui_build(scen::cartella_programma()); }
