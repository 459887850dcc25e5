#pragma once

#include <QString>

namespace norvane {

// Plays a WAV file and returns when it has finished; returns at once when the file is missing
// or cannot be played. The harvest waits for its sounds, so they are kept short.
void PlayWave(const QString& path);

}  // namespace norvane
