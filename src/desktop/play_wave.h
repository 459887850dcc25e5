#pragma once

#include <QString>

namespace norvane {

// Plays a WAV file and returns when it has finished; returns at once when the file is missing
// or cannot be played, or when there is no sound output. The harvest waits for its sounds, so
// they are kept short. The wait is bounded by the sound's length plus a margin, so a sound
// system that never reports the end cannot hold the program.
void PlayWave(const QString& path);

// Tests: the margin added to a sound's length before the wait gives up (default 2000 ms).
void SetPlayWaveMarginForTests(int milliseconds);

}  // namespace norvane
