#pragma once

#include <QString>
#include <cstdint>
#include <string>

namespace norvane {

class SpiderDatabase;

// What the crawl needs of the main window: the harvesting flag, the status panels, the progress
// bar, the statistics, the options the page steps read, the fax preview, sounds, and the
// controller's TakeNextWebsite that keeps each socket busy. The main window implements it; the
// crawl holds no widget of its own.
class HarvestHost {
 public:
  virtual ~HarvestHost() = default;

  virtual bool harvesting() const = 0;                            // bHarvesting
  virtual void setPanelText(int panel, const QString& text) = 0;  // panels 1 to 4
  // pb1: a value outside the bar's range is ignored, as the bar ignores it.
  virtual void setProgressValue(int value) = 0;
  virtual void RecordStatistic(int kind) = 0;
  virtual void TakeNextWebsite(int16_t i) = 0;
  virtual void SavePage(const std::string& body, int16_t i) = 0;

  // For the page steps.
  virtual SpiderDatabase& database() = 0;
  virtual QString currentSearch() const = 0;    // List1 entry 0
  virtual bool allowInternational() const = 0;  // chkNonUS
  virtual bool foundFaxSoundOn() const = 0;     // chkAudioEmail
  virtual int faxPreviewCount() const = 0;      // List3
  virtual void removeFirstFaxPreview() = 0;
  virtual void appendFaxPreview(const QString& entry) = 0;
  virtual void playWave(const QString& path) = 0;
};

}  // namespace norvane
