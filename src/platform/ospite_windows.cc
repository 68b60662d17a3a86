// Windows implementation of the host: the window "Form1" with its label
// "Attendere", and message boxes for every report.
#include <fmt/format.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/motivo_sistema.h"
#include "platform/ospite.h"
#include "platform/testo_largo.h"
#include "platform/visibile.h"

namespace scen {

namespace {

// The window and its label, in twips (1440 to the inch).
constexpr int area_larghezza = 4200;
constexpr int area_altezza = 2688;
constexpr int etichetta_x = 960;
constexpr int etichetta_y = 960;
constexpr int etichetta_larghezza = 2652;
constexpr int etichetta_altezza = 792;
constexpr int punti_carattere = 24;

HWND finestra = nullptr;

// The executable's full path, however long.
std::wstring percorso_eseguibile() {
  std::wstring percorso(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n =
        ::GetModuleFileNameW(nullptr, percorso.data(), static_cast<DWORD>(percorso.size()));
    if (n == 0) return {};
    if (n < percorso.size()) {
      percorso.resize(n);
      return percorso;
    }
    percorso.resize(percorso.size() * 2);
  }
}

// The application's title: the executable's name without its extension.
std::wstring titolo() {
  std::wstring nome = percorso_eseguibile();
  const size_t barra = nome.find_last_of(L"\\/");
  if (barra != std::wstring::npos) nome.erase(0, barra + 1);
  const size_t punto = nome.rfind(L'.');
  if (punto != std::wstring::npos && punto > 0) nome.erase(punto);
  return nome;
}

void finestra_messaggio(std::string_view testo) {
  ::SetProcessDPIAware();
  const std::wstring largo_testo = largo(testo);
  // Modal to the waiting window when there is one, to the program otherwise.
  const UINT stile = MB_OK | MB_SETFOREGROUND | (finestra != nullptr ? MB_APPLMODAL : MB_TASKMODAL);
  ::MessageBoxW(finestra, largo_testo.c_str(), titolo().c_str(), stile);
}

LRESULT CALLBACK procedura_finestra(HWND h, UINT messaggio, WPARAM w, LPARAM l) {
  return ::DefWindowProcW(h, messaggio, w, l);
}

}  // namespace

Stato cartella_programma(std::string& cartella) {
  const std::wstring percorso = percorso_eseguibile();
  if (percorso.empty())
    return Stato::errore(fmt::format("impossibile trovare la cartella del programma: {}",
                                     motivo_sistema(static_cast<int>(::GetLastError()))));
  const size_t barra = percorso.rfind(L'\\');
  if (barra == std::wstring::npos)
    return Stato::errore(
        fmt::format("impossibile trovare la cartella del programma in \"{}\"", stretto(percorso)));
  cartella = stretto(percorso.substr(0, barra));
  return Stato::ok();
}

bool errori_a_terminale() { return ::_isatty(::_fileno(stderr)) != 0; }

void mostra_attesa() {
  // The sizes below follow the screen's own resolution, not a scaled 96.
  ::SetProcessDPIAware();
  HINSTANCE istanza = ::GetModuleHandleW(nullptr);
  WNDCLASSW classe{};
  classe.lpfnWndProc = procedura_finestra;
  classe.hInstance = istanza;
  classe.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT));
  classe.hIcon = ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  classe.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  classe.lpszClassName = L"Form1";
  ::RegisterClassW(&classe);

  HDC schermo = ::GetDC(nullptr);
  const int dpi_x = ::GetDeviceCaps(schermo, LOGPIXELSX);
  const int dpi_y = ::GetDeviceCaps(schermo, LOGPIXELSY);
  ::ReleaseDC(nullptr, schermo);
  const auto px = [dpi_x](int twip) { return ::MulDiv(twip, dpi_x, 1440); };
  const auto py = [dpi_y](int twip) { return ::MulDiv(twip, dpi_y, 1440); };

  const DWORD stile = WS_OVERLAPPEDWINDOW;
  RECT riquadro{0, 0, px(area_larghezza), py(area_altezza)};
  ::AdjustWindowRectEx(&riquadro, stile, FALSE, 0);
  const int larghezza = riquadro.right - riquadro.left;
  const int altezza = riquadro.bottom - riquadro.top;
  // In the middle of the screen.
  const int x = (::GetSystemMetrics(SM_CXSCREEN) - larghezza) / 2;
  const int y = (::GetSystemMetrics(SM_CYSCREEN) - altezza) / 2;
  finestra = ::CreateWindowExW(0, L"Form1", L"Form1", stile, x, y, larghezza, altezza, nullptr,
                               nullptr, istanza, nullptr);
  if (finestra == nullptr) return;  // no window: the run goes on without its sign

  HFONT carattere =
      ::CreateFontW(-::MulDiv(punti_carattere, dpi_y, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                    DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    VARIABLE_PITCH | FF_SWISS, L"MS Sans Serif");
  HWND etichetta = ::CreateWindowExW(0, L"STATIC", L"Attendere", WS_CHILD | WS_VISIBLE | SS_LEFT,
                                     px(etichetta_x), py(etichetta_y), px(etichetta_larghezza),
                                     py(etichetta_altezza), finestra, nullptr, istanza, nullptr);
  if (etichetta != nullptr && carattere != nullptr)
    ::SendMessageW(etichetta, WM_SETFONT, reinterpret_cast<WPARAM>(carattere), FALSE);

  ::ShowWindow(finestra, SW_SHOWNORMAL);
  ::UpdateWindow(finestra);
  // What the showing has queued (activation, the first painting of the
  // frame) is handled now, once; the run then keeps the thread to itself.
  MSG messaggio;
  while (::PeekMessageW(&messaggio, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&messaggio);
    ::DispatchMessageW(&messaggio);
  }
  ::GdiFlush();
}

void mostra_testo(std::string_view testo) {
  // A windowed program has no standard output unless it was given one (a
  // redirection): then the text goes there, else into a box.
  HANDLE uscita = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (uscita == nullptr || uscita == INVALID_HANDLE_VALUE) {
    finestra_messaggio(testo);
    return;
  }
  std::fwrite(testo.data(), 1, testo.size(), stdout);
  std::fflush(stdout);
}

void mostra_errore(std::string_view a) { finestra_messaggio(fmt::format(" Errore n. {}", a)); }

// A name in a message (the program's folder) may hold control characters:
// written out, as on a terminal.
void mostra_guasto(std::string_view messaggio) { finestra_messaggio(visibile(messaggio)); }

void mostra_esito(std::string_view a, const std::vector<std::string>& righe) {
  std::string testo;
  if (!a.empty()) testo = fmt::format(" Errore n. {}", a);
  for (const std::string& riga : righe) {
    if (!testo.empty()) testo += '\n';
    testo += visibile(riga);
  }
  if (!testo.empty()) finestra_messaggio(testo);
}

void errore(std::string_view a) {
  mostra_errore(a);
  // At once: no handler of the program's end runs, the system closes the
  // open files.
  ::TerminateProcess(::GetCurrentProcess(), EXIT_FAILURE);
  ::ExitProcess(EXIT_FAILURE);
}

}  // namespace scen
