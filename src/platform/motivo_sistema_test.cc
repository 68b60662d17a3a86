#include "platform/motivo_sistema.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace scen {
namespace {

TEST(MotivoSistema, CommonCausesInItalianWithTheSystemsTextAfter) {
  struct caso {
    int codice;
    const char* motivo;
  };
  const caso casi[] = {
      {ENOENT, "file o cartella inesistente (No such file or directory)"},
      {EISDIR, "è una cartella (Is a directory)"},
      {EACCES, "permesso negato (Permission denied)"},
      {EPERM, "permesso negato (Operation not permitted)"},
      {ENOSPC, "spazio esaurito sul disco (No space left on device)"},
      {EFBIG, "file troppo grande (File too large)"},
      {EROFS, "file system in sola lettura (Read-only file system)"},
      // Any other: the system's text alone.
      {ENOTDIR, "Not a directory"},
      {EBUSY, "Device or resource busy"},
  };
  for (const caso& c : casi) EXPECT_EQ(motivo_sistema(c.codice), c.motivo) << c.codice;
}

}  // namespace
}  // namespace scen
