// The floor of a compile: a program that only writes bytes it already has,
// the same durable way the compile replaces a file (a temporary file in the
// same folder, written, flushed to disk with fsync, renamed over the older
// file), and nothing else. Each file given is taken from the reference
// folder (mapped, not read) and written whole in one write, in the order
// given.
//
// uso: pavimento RIFERIMENTO CARTELLA NOME...
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

bool sostituisci(const std::string& origine, const std::string& destinazione) {
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
  for (size_t fatti = 0; fatti < byte;) {
    const ssize_t n = ::write(out, dati + fatti, byte - fatti);
    if (n <= 0) return false;
    fatti += static_cast<size_t>(n);
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
  for (int i = 3; i < argc; ++i)
    if (!sostituisci(std::string(argv[1]) + "/" + argv[i], std::string(argv[2]) + "/" + argv[i])) {
      std::perror(argv[i]);
      return 1;
    }
  return 0;
}
