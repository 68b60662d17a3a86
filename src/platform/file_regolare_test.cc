// Reading a name that anything may have been put under: a regular file only.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/file.h"
#include "testing/cartella_temporanea.h"

namespace scen {
namespace {

using prova::CartellaTemporanea;

TEST(FileRegolare, ReadsOnlyARegularFileAndNamesAnythingElseWithoutWaiting) {
  CartellaTemporanea cartella;
  prova::scrivi(cartella.file("file.txt"), "contenuto");
  std::filesystem::create_symlink("file.txt", cartella.file("al_file"));
  // A pipe that nobody writes: opening it for reading the usual way would
  // wait for a writer for ever.
  ASSERT_EQ(::mkfifo(cartella.file("tubo").c_str(), 0600), 0);
  std::filesystem::create_symlink("tubo", cartella.file("al_tubo"));
  std::filesystem::create_directory(cartella.file("cartella"));
  const int presa = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(presa, 0);
  sockaddr_un indirizzo{};
  indirizzo.sun_family = AF_UNIX;
  const std::string nome_presa = cartella.file("presa");
  ASSERT_LT(nome_presa.size(), sizeof indirizzo.sun_path);
  std::memcpy(indirizzo.sun_path, nome_presa.c_str(), nome_presa.size() + 1);
  ASSERT_EQ(::bind(presa, reinterpret_cast<sockaddr*>(&indirizzo), sizeof indirizzo), 0);

  struct caso {
    std::string nome;
    const char* motivo;  // "" when it reads
  };
  const caso casi[] = {
      {cartella.file("file.txt"), ""},
      {cartella.file("al_file"), ""},
      {cartella.file("tubo"), "è una pipe (FIFO), non un file"},
      {cartella.file("al_tubo"), "è una pipe (FIFO), non un file"},
      {cartella.file("cartella"), "è una cartella, non un file"},
      {"/dev/zero", "è un dispositivo, non un file"},
      {nome_presa, "è un socket, non un file"},
      {cartella.file("manca"), "impossibile aprire"},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.nome);
    std::string letto = "prima";
    const Stato s = leggi_file_regolare(c.nome, letto, 1 << 20);
    if (*c.motivo == '\0') {
      ASSERT_TRUE(s.riuscito()) << s.messaggio();
      EXPECT_EQ(letto, "contenuto");
    } else {
      ASSERT_FALSE(s.riuscito());
      EXPECT_NE(s.messaggio().find("\"" + c.nome + "\""), std::string::npos) << s.messaggio();
      EXPECT_NE(s.messaggio().find(c.motivo), std::string::npos) << s.messaggio();
    }
  }
  // Past the limit, as leggi_file says.
  std::string letto;
  EXPECT_EQ(leggi_file_regolare(cartella.file("file.txt"), letto, 4).messaggio(),
            oltre_il_limite(cartella.file("file.txt"), 4).messaggio());
  ::close(presa);
}

}  // namespace
}  // namespace scen
