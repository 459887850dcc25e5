// WAV headers, the generated sounds and PlayWave's bounded wait.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "desktop/play_wave.h"
#include "desktop/sounds.h"
#include "desktop/wave_file.h"

namespace norvane {
namespace {

QByteArray Le32(quint32 v) {
  QByteArray b(4, '\0');
  for (int i = 0; i < 4; ++i) b[i] = char((v >> (8 * i)) & 0xFF);
  return b;
}

QByteArray Chunk(const char* id, const QByteArray& body) {
  return QByteArray(id, 4) + Le32(quint32(body.size())) + body;
}

// A format chunk body: format tag, channels, rate, block align, bits.
QByteArray Format(quint16 tag, quint16 channels, quint32 rate, quint16 align, quint16 bits) {
  QByteArray b;
  auto le16 = [&](quint16 v) { b += char(v & 0xFF), b += char(v >> 8); };
  le16(tag);
  le16(channels);
  b += Le32(rate);
  b += Le32(rate * align);
  le16(align);
  le16(bits);
  return b;
}

QByteArray Riff(const QByteArray& chunks) {
  return "RIFF" + Le32(quint32(4 + chunks.size())) + "WAVE" + chunks;
}

TEST(WaveFileTest, ReadsHeadersAndRejectsBrokenOnes) {
  const QByteArray pcm = Format(1, 1, 8000, 2, 16);
  struct Case {
    const char* name;
    QByteArray bytes;
    bool valid;
    qint64 durationMs;
  };
  const Case cases[] = {
      {"one second mono", Riff(Chunk("fmt ", pcm) + Chunk("data", QByteArray(16000, 'x'))), true,
       1000},
      {"list chunk before data",
       Riff(Chunk("fmt ", pcm) + Chunk("LIST", "abc") + QByteArray(1, '\0') +
            Chunk("data", QByteArray(8000, 'x'))),
       true, 500},
      {"data shorter than declared",
       Riff(Chunk("fmt ", pcm) + "data" + Le32(1'000'000) + QByteArray(4000, 'x')), true, 250},
      {"empty", QByteArray(), false, 0},
      {"not riff", "RIFX" + Le32(4) + "WAVE", false, 0},
      {"not wave", Riff(QByteArray()).replace("WAVE", "AVI "), false, 0},
      {"no format", Riff(Chunk("data", QByteArray(100, 'x'))), false, 0},
      {"compressed format",
       Riff(Chunk("fmt ", Format(2, 1, 8000, 2, 16)) + Chunk("data", QByteArray(100, 'x'))), false,
       0},
      {"zero rate",
       Riff(Chunk("fmt ", Format(1, 1, 0, 2, 16)) + Chunk("data", QByteArray(100, 'x'))), false, 0},
      {"zero block align",
       Riff(Chunk("fmt ", Format(1, 1, 8000, 0, 16)) + Chunk("data", QByteArray(100, 'x'))), false,
       0},
      {"odd bits",
       Riff(Chunk("fmt ", Format(1, 1, 8000, 2, 12)) + Chunk("data", QByteArray(100, 'x'))), false,
       0},
      {"no samples", Riff(Chunk("fmt ", pcm) + Chunk("data", QByteArray(1, 'x'))), false, 0},
      {"short format", Riff(Chunk("fmt ", pcm.left(10)) + Chunk("data", "xx")), false, 0},
      {"huge chunk size", Riff(Chunk("fmt ", pcm) + "junk" + Le32(0xFFFFFFFF)), false, 0},
  };
  for (const Case& c : cases) {
    const WaveInfo info = ReadWaveInfo(c.bytes);
    EXPECT_EQ(info.valid, c.valid) << c.name;
    if (c.valid) {
      EXPECT_EQ(info.durationMs, c.durationMs) << c.name;
    }
  }
}

TEST(WaveFileTest, GeneratedSoundsArePlayableAndShort) {
  const QByteArray tone = MakeToneWave({{440, 100}, {0, 50}, {880, 100}}, 8000);
  const WaveInfo info = ReadWaveInfo(tone);
  ASSERT_TRUE(info.valid);
  EXPECT_EQ(info.channels, 1);
  EXPECT_EQ(info.sampleRate, 8000);
  EXPECT_EQ(info.bitsPerSample, 16);
  EXPECT_EQ(info.durationMs, 250);

  // The files the build made next to the program, under the names the harvest plays.
  for (const char* name : {"foundfax.wav", "nextsearch.wav", "finished.wav"}) {
    QFile file(QStringLiteral(NORVANE_SOUNDS_DIR "/") + QLatin1String(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    const WaveInfo sound = ReadWaveInfo(file.readAll());
    EXPECT_TRUE(sound.valid) << name;
    EXPECT_GT(sound.durationMs, 100) << name;
    EXPECT_LT(sound.durationMs, 1000) << name;
  }
  EXPECT_EQ(ProgramSounds().size(), 3);
}

TEST(PlayWaveTest, ReturnsAtOnceWhenNothingCanBePlayed) {
  QTemporaryDir dir;
  QFile garbage(dir.filePath(QStringLiteral("garbage.wav")));
  ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
  garbage.write("RIFF\x10\0\0\0WAVEjunk not a sound");
  garbage.close();
  QDir(dir.path()).mkdir(QStringLiteral("folder.wav"));
  const QString paths[] = {dir.filePath(QStringLiteral("missing.wav")),
                           dir.filePath(QStringLiteral("garbage.wav")),
                           dir.filePath(QStringLiteral("folder.wav")), QString()};
  for (const QString& path : paths) {
    QElapsedTimer timer;
    timer.start();
    PlayWave(path);
    EXPECT_LT(timer.elapsed(), 200) << path.toStdString();
  }
}

TEST(PlayWaveTest, WaitIsBoundedByTheSoundsLength) {
  // With a sound device the call lasts about as long as the sound; without one it returns at
  // once. Either way it ends within the sound's length and the margin.
  SetPlayWaveMarginForTests(300);
  QTemporaryDir dir;
  QFile file(dir.filePath(QStringLiteral("beep.wav")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(MakeToneWave({{660, 150}}));
  file.close();
  QElapsedTimer timer;
  timer.start();
  PlayWave(file.fileName());
  EXPECT_LT(timer.elapsed(), 150 + 300 + 700);
  SetPlayWaveMarginForTests(2000);
}

}  // namespace
}  // namespace norvane
