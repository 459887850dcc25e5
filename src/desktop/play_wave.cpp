#include "desktop/play_wave.h"

namespace norvane {

// Sound output arrives with the desktop services; until then every sound is silent.
void PlayWave(const QString&) {}

}  // namespace norvane
