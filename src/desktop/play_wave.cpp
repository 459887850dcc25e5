#include "desktop/play_wave.h"

#include <QAudioDevice>
#include <QDeadlineTimer>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QThread>
#include <QUrl>
#include <atomic>

#include "desktop/wave_file.h"

namespace norvane {
namespace {

std::atomic<int> g_marginMs{2000};

// Plays one sound on its own thread's event loop and ends that loop when the sound is over or
// cannot be played. The caller's thread waits on the thread, so its own event loop stays
// blocked for the length of the sound, as a synchronous system sound call would.
class SoundThread : public QThread {
 public:
  explicit SoundThread(QString path) : m_path(std::move(path)) {}

 protected:
  void run() override {
    QSoundEffect effect;
    bool started = false;
    QObject::connect(&effect, &QSoundEffect::statusChanged, [&] {
      if (effect.status() == QSoundEffect::Error) {
        quit();
      } else if (effect.status() == QSoundEffect::Ready && !started) {
        started = true;
        effect.play();
      }
    });
    QObject::connect(&effect, &QSoundEffect::playingChanged, [&] {
      if (started && !effect.isPlaying()) quit();
    });
    effect.setSource(QUrl::fromLocalFile(m_path));
    if (effect.status() == QSoundEffect::Error) return;
    exec();
    effect.stop();
  }

 private:
  QString m_path;
};

}  // namespace

void SetPlayWaveMarginForTests(int milliseconds) {
  g_marginMs = milliseconds;
}

void PlayWave(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return;
  const WaveInfo info = ReadWaveInfo(file.read(64 * 1024 * 1024));
  file.close();
  if (!info.valid) return;
  if (QMediaDevices::audioOutputs().isEmpty()) return;

  auto* thread = new SoundThread(path);
  thread->start();
  if (!thread->wait(QDeadlineTimer(info.durationMs + g_marginMs.load()))) {
    thread->quit();
    if (!thread->wait(QDeadlineTimer(500))) {
      // A sound system stuck inside a call: leave the thread to finish on its own rather than
      // destroy it while it runs.
      QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
      return;
    }
  }
  delete thread;
}

}  // namespace norvane
