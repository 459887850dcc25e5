#include "desktop/play_wave.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "desktop/wave_file.h"

namespace norvane {
namespace {

std::atomic<int> g_marginMs{2000};

// One sound thread for the whole program: the sounds play on its event loop while the calling
// thread waits, so the caller's own event loop stays blocked for the length of the sound, as a
// synchronous system sound call would. The thread lives as long as the program, because the
// sound system keeps per-thread state that a short-lived thread would leave behind.
struct SoundThread {
  QThread thread;
  QObject* context = nullptr;      // lives in the thread
  QSoundEffect* effect = nullptr;  // created, used and deleted in the thread only
  std::mutex mutex;
  std::condition_variable finished;
  int requested = 0;  // last request number handed out (caller's thread)
  int completed = 0;  // last request number that ended (guarded by mutex)

  void complete(int id) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      completed = std::max(completed, id);
    }
    finished.notify_all();
  }
};

SoundThread* Sounds() {
  static SoundThread* sounds = [] {
    // Never deleted: the thread is stopped when the application object goes away, and a
    // QThread must not be destroyed while it might still run.
    auto* s = new SoundThread;
    s->thread.setObjectName(QStringLiteral("sound"));
    s->context = new QObject;
    s->context->moveToThread(&s->thread);
    s->thread.start();
    qAddPostRoutine([] {
      SoundThread* s = Sounds();
      QMetaObject::invokeMethod(s->context, [s] {
        delete s->effect;
        s->effect = nullptr;
      });
      s->thread.quit();
      s->thread.wait(1000);
    });
    return s;
  }();
  return sounds;
}

// Runs in the sound thread: plays the file and reports request id as ended when the sound is
// over or cannot be played.
void StartSound(SoundThread* s, const QString& path, int id) {
  delete s->effect;
  s->effect = new QSoundEffect;
  QSoundEffect* effect = s->effect;
  QObject::connect(effect, &QSoundEffect::statusChanged, effect, [s, effect, id] {
    if (effect->status() == QSoundEffect::Error) s->complete(id);
  });
  QObject::connect(effect, &QSoundEffect::playingChanged, effect, [s, effect, id] {
    if (!effect->isPlaying()) s->complete(id);
  });
  effect->setSource(QUrl::fromLocalFile(path));
  if (effect->status() == QSoundEffect::Error) {
    s->complete(id);
    return;
  }
  effect->play();
}

}  // namespace

void SetPlayWaveMarginForTests(int milliseconds) {
  g_marginMs = milliseconds;
}

void PlayWave(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return;
  // At most 64 MB, and no more than the file holds: a buffer of the whole bound made every
  // call cost a 64 MB allocation, half a second in the sanitizer build.
  constexpr qint64 kMaxWaveBytes = 64 * 1024 * 1024;
  const WaveInfo info = ReadWaveInfo(file.read(std::clamp<qint64>(file.size(), 0, kMaxWaveBytes)));
  file.close();
  if (!info.valid || !QCoreApplication::instance()) return;
  if (QMediaDevices::audioOutputs().isEmpty()) return;

  SoundThread* s = Sounds();
  const int id = ++s->requested;
  QMetaObject::invokeMethod(s->context, [s, path, id] { StartSound(s, path, id); });
  std::unique_lock<std::mutex> lock(s->mutex);
  const bool ended =
      s->finished.wait_for(lock, std::chrono::milliseconds(info.durationMs + g_marginMs.load()),
                           [s, id] { return s->completed >= id; });
  lock.unlock();
  if (!ended) {
    // The sound system never reported the end: silence it rather than let it overlap the next.
    QMetaObject::invokeMethod(s->context, [s] {
      if (s->effect) s->effect->stop();
    });
  }
}

}  // namespace norvane
