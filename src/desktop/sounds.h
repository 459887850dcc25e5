#pragma once

#include <QList>

#include "desktop/wave_file.h"

namespace norvane {

// The three event sounds: file name under the application folder's "sounds" folder and the
// notes generated into it. Each is a fraction of a second, since the harvest waits for it.
struct SoundDefinition {
  const char* fileName;
  QList<Tone> tones;
};

inline QList<SoundDefinition> ProgramSounds() {
  return {
      {"foundfax.wav", {{1046.5, 70}, {0, 30}, {1318.5, 90}}},
      {"nextsearch.wav", {{659.3, 110}, {880.0, 150}}},
      {"finished.wav", {{1318.5, 110}, {987.8, 110}, {659.3, 200}}},
  };
}

}  // namespace norvane
