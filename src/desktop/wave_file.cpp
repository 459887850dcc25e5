#include "desktop/wave_file.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace norvane {
namespace {

quint32 Le32(const QByteArray& b, qsizetype at) {
  return qFromLittleEndian<quint32>(b.constData() + at);
}

quint16 Le16(const QByteArray& b, qsizetype at) {
  return qFromLittleEndian<quint16>(b.constData() + at);
}

void PutLe32(QByteArray& b, quint32 v) {
  char raw[4];
  qToLittleEndian(v, raw);
  b.append(raw, 4);
}

void PutLe16(QByteArray& b, quint16 v) {
  char raw[2];
  qToLittleEndian(v, raw);
  b.append(raw, 2);
}

constexpr quint16 kFormatPcm = 1;
constexpr quint16 kFormatFloat = 3;
constexpr quint16 kFormatExtensible = 0xFFFE;

}  // namespace

WaveInfo ReadWaveInfo(const QByteArray& bytes) {
  WaveInfo info;
  if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE") return info;
  bool haveFormat = false;
  int blockAlign = 0;
  qsizetype at = 12;
  while (at + 8 <= bytes.size()) {
    const QByteArray id = bytes.mid(at, 4);
    const qint64 size = Le32(bytes, at + 4);
    const qsizetype body = at + 8;
    const qint64 available = std::min<qint64>(size, bytes.size() - body);
    if (id == "fmt ") {
      if (available < 16) return info;
      const quint16 format = Le16(bytes, body);
      if (format != kFormatPcm && format != kFormatFloat && format != kFormatExtensible)
        return info;
      info.channels = Le16(bytes, body + 2);
      info.sampleRate = static_cast<int>(std::min<quint32>(Le32(bytes, body + 4), 1'000'000));
      blockAlign = Le16(bytes, body + 12);
      info.bitsPerSample = Le16(bytes, body + 14);
      haveFormat = true;
    } else if (id == "data") {
      if (!haveFormat || info.channels < 1 || info.channels > 8 || info.sampleRate < 1 ||
          blockAlign < 1 ||
          (info.bitsPerSample != 8 && info.bitsPerSample != 16 && info.bitsPerSample != 24 &&
           info.bitsPerSample != 32)) {
        return info;
      }
      info.dataBytes = available;
      const qint64 frames = available / blockAlign;
      if (frames < 1) return info;
      info.durationMs = frames * 1000 / info.sampleRate;
      info.valid = true;
      return info;
    }
    // Chunks are padded to an even length.
    at = body + size + (size & 1);
  }
  return info;
}

QByteArray MakeToneWave(const QList<Tone>& tones, int sampleRate) {
  QByteArray samples;
  const int fade = sampleRate / 200;  // 5 ms
  for (const Tone& tone : tones) {
    const int count = static_cast<int>(static_cast<qint64>(tone.lengthMs) * sampleRate / 1000);
    for (int i = 0; i < count; ++i) {
      double value = 0;
      if (tone.frequencyHz > 0) {
        const double envelope = std::min({1.0, double(i) / fade, double(count - 1 - i) / fade});
        value = 0.4 * envelope *
                std::sin(2 * std::numbers::pi * tone.frequencyHz * i / double(sampleRate));
      }
      PutLe16(samples, static_cast<quint16>(static_cast<qint16>(std::lround(value * 32767))));
    }
  }
  QByteArray out;
  out.append("RIFF");
  PutLe32(out, static_cast<quint32>(36 + samples.size()));
  out.append("WAVEfmt ");
  PutLe32(out, 16);
  PutLe16(out, kFormatPcm);
  PutLe16(out, 1);  // mono
  PutLe32(out, static_cast<quint32>(sampleRate));
  PutLe32(out, static_cast<quint32>(sampleRate * 2));
  PutLe16(out, 2);
  PutLe16(out, 16);
  out.append("data");
  PutLe32(out, static_cast<quint32>(samples.size()));
  out.append(samples);
  return out;
}

}  // namespace norvane
