#pragma once

#include <QByteArray>
#include <QList>

namespace norvane {

// What a WAV file holds, read from its RIFF header. A file is playable when it has a PCM (or
// float) format chunk before a data chunk with at least one whole sample frame.
struct WaveInfo {
  bool valid = false;
  int channels = 0;
  int sampleRate = 0;
  int bitsPerSample = 0;
  qint64 dataBytes = 0;  // clipped to the bytes actually present
  qint64 durationMs = 0;
};

// Reads the header of WAV file bytes; never reads past the end, whatever the sizes claim.
WaveInfo ReadWaveInfo(const QByteArray& bytes);

// One note of a generated sound: a sine tone of this frequency (0 for a pause) and length.
struct Tone {
  double frequencyHz;
  int lengthMs;
};

// A mono 16-bit PCM WAV file of the tones one after another, each faded in and out so the
// notes do not click.
QByteArray MakeToneWave(const QList<Tone>& tones, int sampleRate = 22050);

}  // namespace norvane
