// The floor of a compile: a program that only writes bytes it already has,
// the same durable way the compile replaces a file (a temporary file in the
// same folder, written, flushed to disk with fsync, renamed over the older
// file), and nothing else. Each file given is taken from the reference
// folder (mapped, not read) and made piece by piece, as the compile makes
// its trace: each piece copied into one 256 KiB buffer and written from it,
// in the order given.
//
// uso: pavimento RIFERIMENTO CARTELLA NOME...
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr size_t byte_per_pezzo = size_t{256} << 10;

// Writes `n` bytes of `pezzo`, however many calls it takes.
bool scrivi_tutto(int out, const char* pezzo, size_t n) {
  for (size_t fatti = 0; fatti < n;) {
    const ssize_t scritti = ::write(out, pezzo + fatti, n - fatti);
    if (scritti <= 0) return false;
    fatti += static_cast<size_t>(scritti);
  }
  return true;
}

bool sostituisci(const std::string& origine, const std::string& destinazione,
                 std::vector<char>& pezzo) {
  const int in = ::open(origine.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat info;
  if (in < 0 || ::fstat(in, &info) != 0) return false;
  const auto byte = static_cast<size_t>(info.st_size);
  const char* dati = "";
  if (byte > 0) {
    void* p = ::mmap(nullptr, byte, PROT_READ, MAP_PRIVATE, in, 0);
    if (p == MAP_FAILED) return false;
    dati = static_cast<const char*>(p);
  }
  ::close(in);

  const std::string temporaneo = destinazione + ".~pavimento";
  const int out = ::open(temporaneo.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out < 0) return false;
  for (size_t fatti = 0; fatti < byte; fatti += pezzo.size()) {
    const size_t n = std::min(pezzo.size(), byte - fatti);
    std::memcpy(pezzo.data(), dati + fatti, n);
    if (!scrivi_tutto(out, pezzo.data(), n)) return false;
  }
  return ::fsync(out) == 0 && ::close(out) == 0 &&
         ::rename(temporaneo.c_str(), destinazione.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "uso: pavimento RIFERIMENTO CARTELLA NOME...\n");
    return 2;
  }
  std::vector<char> pezzo(byte_per_pezzo);
  for (int i = 3; i < argc; ++i)
    if (!sostituisci(std::string(argv[1]) + "/" + argv[i], std::string(argv[2]) + "/" + argv[i],
                     pezzo)) {
      std::perror(argv[i]);
      return 1;
    }
  return 0;
}
