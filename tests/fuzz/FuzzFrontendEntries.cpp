// The entries of the desktop front end's readers; they need Qt 6.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "frontend/SettingsStore.h"
#include "frontend/UiLanguage.h"
#include "tests/fuzz/FuzzEntries.h"
#include "tests/fuzz/FuzzScratch.h"

namespace quorlex::fuzz {

void ReadLanguageFile(const uint8_t* data, size_t size) {
  const std::string path = Scratch().Write("fuzz.lng", data, size);
  UiLanguage language;
  (void)language.LoadLanguageFile(path.c_str());
  for (int table = 0; table < kTextTables; ++table) {
    for (int n = -1; n <= TableSize(static_cast<TextTable>(table)); n += 7) {
      (void)language.Display(static_cast<TextTable>(table), n);
    }
  }
  // What was read is written out again and read back.
  const std::string exported = Scratch().PathOf("exported.lng");
  if (language.ExportLanguageFile(exported.c_str())) {
    UiLanguage again;
    (void)again.LoadLanguageFile(exported.c_str());
  }
}

void ReadSettingsFile(const uint8_t* data, size_t size) {
  SettingsStore store(Scratch().Write("settings.conf", data, size));
  (void)store.Load();
  std::string value;
  (void)store.Get("\\Dialogs\\Main\\Left", value);

  // Saving and loading again must give back every setting as it was.
  SettingsStore saved(Scratch().PathOf("saved.conf"));
  for (const auto& [name, text] : store.Entries()) (void)saved.Set(name, text);
  if (!saved.Save()) return;
  SettingsStore reloaded(saved.Path());
  if (!reloaded.Load() || reloaded.Entries() != store.Entries()) {
    std::fprintf(stderr, "settings changed in a save and load\n");
    std::abort();
  }
}

}  // namespace quorlex::fuzz
