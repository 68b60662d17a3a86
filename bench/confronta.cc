// Runs two programs side by side, each in its own folder, alternating them
// so that both meet the same state of the machine, and prints for each the
// median wall time of a whole run (start to exit), the fastest and slowest
// run, and the peak resident memory of its largest run; then the ratio of
// the medians (the one the targets are about), the median of the ratios of
// each pair of runs, and the targets met or not.
//
// uso: confronta RIPETIZIONI RAPPORTO_MAX MEMORIA_MAX_MIB
//                CARTELLA_A -- PROGRAMMA_A ARG... -- CARTELLA_B -- PROGRAMMA_B ARG...
// A is the program measured, B its floor. Each runs once before the timed
// runs, so that both find the older files of an earlier run in place.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct programma {
  std::string cartella;
  std::vector<std::string> argomenti;
  std::vector<double> tempi;  // ms
  long memoria = 0;           // KiB, the largest peak of a run
};

// One run: false when the program did not end with status 0.
bool esegui(programma& p) {
  const auto inizio = std::chrono::steady_clock::now();
  const pid_t figlio = ::fork();
  if (figlio < 0) return false;
  if (figlio == 0) {
    const int nulla = ::open("/dev/null", O_RDWR);
    ::dup2(nulla, 1);
    ::dup2(nulla, 2);
    if (::chdir(p.cartella.c_str()) != 0) ::_exit(127);
    std::vector<char*> argv;
    for (std::string& a : p.argomenti) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int stato = 0;
  struct rusage uso {};
  if (::wait4(figlio, &stato, 0, &uso) != figlio) return false;
  const auto fine = std::chrono::steady_clock::now();
  p.tempi.push_back(std::chrono::duration<double, std::milli>(fine - inizio).count());
  p.memoria = std::max(p.memoria, uso.ru_maxrss);
  return WIFEXITED(stato) && WEXITSTATUS(stato) == 0;
}

double mediana(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void stampa(const char* nome, const programma& p) {
  std::printf("  %-10s mediana %7.2f ms  (da %.2f a %.2f)  memoria di picco %6.2f MiB\n", nome,
              mediana(p.tempi), *std::min_element(p.tempi.begin(), p.tempi.end()),
              *std::max_element(p.tempi.begin(), p.tempi.end()),
              static_cast<double>(p.memoria) / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> a(argv + 1, argv + argc);
  programma p[2];
  size_t i = 3;
  for (programma& q : p) {
    if (i + 2 >= a.size() || a[i + 1] != "--") break;
    q.cartella = a[i];
    for (i += 2; i < a.size() && a[i] != "--"; ++i) q.argomenti.push_back(a[i]);
    ++i;
  }
  if (a.size() < 3 || p[1].argomenti.empty()) {
    std::fprintf(stderr,
                 "uso: confronta RIPETIZIONI RAPPORTO_MAX MEMORIA_MAX_MIB CARTELLA_A -- "
                 "PROGRAMMA_A ARG... -- CARTELLA_B -- PROGRAMMA_B ARG...\n");
    return 2;
  }
  const int ripetizioni = std::atoi(a[0].c_str());
  const double rapporto_massimo = std::atof(a[1].c_str());
  const double memoria_massima = std::atof(a[2].c_str());

  for (int giro = -1; giro < ripetizioni; ++giro)
    for (programma& q : p) {
      if (!esegui(q)) {
        std::fprintf(stderr, "confronta: %s non è finito con lo stato 0 (in %s)\n",
                     q.argomenti[0].c_str(), q.cartella.c_str());
        return 1;
      }
      if (giro < 0) q.tempi.clear();  // the first run only sets the scene
    }

  stampa("programma", p[0]);
  stampa("pavimento", p[1]);
  // Each run of A against the run of B right after it: a load that comes
  // and goes weighs on both sides of each pair alike.
  std::vector<double> coppie;
  for (size_t k = 0; k < p[0].tempi.size(); ++k) coppie.push_back(p[0].tempi[k] / p[1].tempi[k]);
  const double rapporto = mediana(p[0].tempi) / mediana(p[1].tempi);
  const double memoria = static_cast<double>(p[0].memoria) / 1024.0;
  std::printf("  rapporto delle mediane %.3f, mediana dei rapporti a coppie %.3f\n", rapporto,
              mediana(coppie));
  std::printf("  obiettivi: rapporto al più %.2f: %s; memoria %.2f MiB, al più %.0f MiB: %s\n",
              rapporto_massimo, rapporto <= rapporto_massimo ? "raggiunto" : "MANCATO", memoria,
              memoria_massima, memoria <= memoria_massima ? "raggiunto" : "MANCATO");
  return 0;
}
