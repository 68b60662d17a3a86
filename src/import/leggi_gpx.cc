// GPX 1.1 through libxml2: the track points of every trk/trkseg in file
// order, and the waypoints that have a name.
#include <fmt/format.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <charconv>
#include <limits>
#include <memory>
#include <string>

#include "import/traccia.h"

namespace scen {

namespace {

struct libera_documento {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};

bool e(const xmlNode* n, const char* nome) {
  return n->type == XML_ELEMENT_NODE &&
         xmlStrcmp(n->name, reinterpret_cast<const xmlChar*>(nome)) == 0;
}

std::string testo_di(const xmlNode* n) {
  xmlChar* contenuto = xmlNodeGetContent(n);
  std::string testo = contenuto != nullptr ? reinterpret_cast<const char*>(contenuto) : "";
  xmlFree(contenuto);
  return testo;
}

// A real number written in the plain decimal form, blanks around allowed.
std::optional<double> numero(std::string testo) {
  const size_t inizio = testo.find_first_not_of(" \t\r\n");
  const size_t fine = testo.find_last_not_of(" \t\r\n");
  if (inizio == std::string::npos) return std::nullopt;
  testo = testo.substr(inizio, fine - inizio + 1);
  if (!testo.empty() && testo.front() == '+') testo.erase(0, 1);
  double valore = 0;
  auto [fine_letta, errore] = std::from_chars(testo.data(), testo.data() + testo.size(), valore);
  if (errore != std::errc() || fine_letta != testo.data() + testo.size()) return std::nullopt;
  return valore;
}

class lettore_gpx {
 public:
  lettore_gpx(const std::string& nome, traccia& t) : nome_(nome), t_(t) {}

  Stato leggi(const xmlNode* gpx) {
    for (const xmlNode* n = gpx->children; n != nullptr; n = n->next) {
      if (e(n, "wpt")) {
        if (Stato s = waypoint(n); !s.riuscito()) return s;
      } else if (e(n, "trk")) {
        for (const xmlNode* seg = n->children; seg != nullptr; seg = seg->next)
          if (e(seg, "trkseg"))
            for (const xmlNode* p = seg->children; p != nullptr; p = p->next)
              if (e(p, "trkpt"))
                if (Stato s = punto(p); !s.riuscito()) return s;
      }
    }
    return Stato::ok();
  }

 private:
  // The lat and lon attributes of `n`, checked.
  Stato coordinate(const xmlNode* n, const std::string& chi, double& lat, double& lon) {
    const long riga = xmlGetLineNo(n);
    for (auto [attributo, valore] : {std::pair{"lat", &lat}, std::pair{"lon", &lon}}) {
      xmlChar* grezzo = xmlGetProp(n, reinterpret_cast<const xmlChar*>(attributo));
      if (grezzo == nullptr)
        return Stato::errore(
            messaggio_punto(nome_, riga, fmt::format("{}: manca l'attributo {}", chi, attributo)));
      const std::string testo = reinterpret_cast<const char*>(grezzo);
      xmlFree(grezzo);
      const std::optional<double> letto = numero(testo);
      if (!letto)
        return Stato::errore(
            messaggio_punto(nome_, riga,
                            fmt::format("{}: l'attributo {} vale \"{}\", che non è un numero", chi,
                                        attributo, testo)));
      *valore = *letto;
    }
    if (std::optional<std::string> motivo = fuori_campo(lat, lon))
      return Stato::errore(messaggio_punto(nome_, riga, chi + ": " + *motivo));
    return Stato::ok();
  }

  Stato punto(const xmlNode* n) {
    punto_traccia p;
    std::string ora;
    p.riga = xmlGetLineNo(n);
    const std::string chi = fmt::format("punto {}", t_.punti.size() + 1);
    if (Stato s = coordinate(n, chi, p.latitudine, p.longitudine); !s.riuscito()) return s;
    for (const xmlNode* c = n->children; c != nullptr; c = c->next)
      if (e(c, "ele")) {
        const std::string testo = testo_di(c);
        p.quota = numero(testo);
        if (!p.quota)
          return Stato::errore(
              messaggio_punto(nome_, xmlGetLineNo(c),
                              fmt::format("{}: la quota \"{}\" non è un numero", chi, testo)));
        // A height no ground has is none.
        if (!quota_di_terreno(*p.quota)) p.quota.reset();
      } else if (e(c, "time")) {
        ora = testo_di(c);
        const size_t inizio = ora.find_first_not_of(" \t\r\n");
        ora = inizio == std::string::npos
                  ? ""
                  : ora.substr(inizio, ora.find_last_not_of(" \t\r\n") - inizio + 1);
      }
    t_.punti.push_back(p);
    if (!ora.empty()) {
      t_.ore.resize(t_.punti.size());
      t_.ore.back() = ora;
    }
    return Stato::ok();
  }

  Stato waypoint(const xmlNode* n) {
    std::string nome;
    for (const xmlNode* c = n->children; c != nullptr; c = c->next)
      if (e(c, "name")) nome = testo_di(c);
    if (nome.empty()) return Stato::ok();
    punto_nominato p;
    p.nome = nome;
    p.riga = xmlGetLineNo(n);
    if (Stato s = coordinate(n, fmt::format("il punto con nome \"{}\"", nome), p.latitudine,
                             p.longitudine);
        !s.riuscito())
      return s;
    t_.nominati.push_back(p);
    return Stato::ok();
  }

  const std::string& nome_;
  traccia& t_;
};

}  // namespace

Stato leggi_gpx(std::string_view byte, const std::string& nome, traccia& t) {
  if (byte.size() > static_cast<size_t>(std::numeric_limits<int>::max()))
    return Stato::errore(messaggio_punto(nome, 0, "file GPX di oltre 2 GiB"));
  xmlResetLastError();
  std::unique_ptr<xmlDoc, libera_documento> documento(
      xmlReadMemory(byte.data(), static_cast<int>(byte.size()), nome.c_str(), nullptr,
                    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (!documento) {
    const xmlError* errore = xmlGetLastError();
    std::string motivo = errore != nullptr && errore->message != nullptr ? errore->message : "";
    while (!motivo.empty() && (motivo.back() == '\n' || motivo.back() == ' ')) motivo.pop_back();
    return Stato::errore(messaggio_punto(nome, errore != nullptr ? errore->line : 0,
                                         "non è una traccia GPX: XML non valido (" + motivo + ")"));
  }
  const xmlNode* radice = xmlDocGetRootElement(documento.get());
  if (radice == nullptr || !e(radice, "gpx"))
    return Stato::errore(
        messaggio_punto(nome, radice != nullptr ? xmlGetLineNo(radice) : 0,
                        "non è una traccia GPX: l'elemento principale non è <gpx>"));
  return lettore_gpx(nome, t).leggi(radice);
}

}  // namespace scen
