// Build step: writes the program's sounds and icon files, so they are made from source like
// everything else. Usage: norvane_make_assets SOUNDS_DIR ICONS_DIR
#include <QDir>
#include <QFile>
#include <QImage>
#include <cstdio>

#include "desktop/program_icon.h"
#include "desktop/sounds.h"
#include "desktop/wave_file.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s SOUNDS_DIR ICONS_DIR\n", argv[0]);
    return 2;
  }
  const QString soundsDir = QString::fromLocal8Bit(argv[1]);
  const QString iconsDir = QString::fromLocal8Bit(argv[2]);
  if (!QDir().mkpath(soundsDir) || !QDir().mkpath(iconsDir)) return 1;
  for (const norvane::SoundDefinition& sound : norvane::ProgramSounds()) {
    QFile file(soundsDir + QLatin1Char('/') + QLatin1String(sound.fileName));
    if (!file.open(QIODevice::WriteOnly) || file.write(norvane::MakeToneWave(sound.tones)) < 0)
      return 1;
  }
  for (int size : {128, 64, 48, 32, 16}) {
    if (!norvane::ProgramIconImage(size).save(
            iconsDir + QStringLiteral("/norvane-%1.png").arg(size), "PNG"))
      return 1;
  }
  return 0;
}
