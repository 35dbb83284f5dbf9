// Opens the settings file named on the command line in a fresh process and exits 0 when it holds
// exactly the sample settings.
#include <cstdio>

#include "PreferenceStore.h"
#include "SampleSettings.h"
#include "VariantText.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  PreferenceStore store(QString::fromLocal8Bit(argv[1]));
  const QVariantMap read = store.userValues();
  if (read == sampleSettings()) return 0;
  std::fprintf(stderr, "read: %s\n", textOf(read).toUtf8().constData());
  return 1;
}
