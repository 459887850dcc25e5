#pragma once

// The real pages of the corpus, read once and shared by every benchmark of a program.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "common/text_file.h"

namespace norvane::bench {

inline const std::vector<std::string>& CorpusPages() {
  static const std::vector<std::string> pages = [] {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::path(NORVANE_CORPUS_DIR) / "pages";
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
      const auto extension = entry.path().extension();
      if (extension == ".html" || extension == ".htm") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<std::string> bodies;
    for (const auto& file : files) {
      std::string bytes;
      if (ReadFileBytes(file.string(), bytes)) bodies.push_back(std::move(bytes));
    }
    return bodies;
  }();
  return pages;
}

// The corpus pages for a benchmark, or null after marking it skipped when there are none.
inline const std::vector<std::string>* CorpusPagesOrSkip(benchmark::State& state) {
  const std::vector<std::string>& pages = CorpusPages();
  if (pages.empty()) {
    state.SkipWithError("no corpus pages in " NORVANE_CORPUS_DIR "/pages");
    return nullptr;
  }
  return &pages;
}

inline std::size_t TotalBytes(const std::vector<std::string>& pages) {
  std::size_t bytes = 0;
  for (const std::string& page : pages) bytes += page.size();
  return bytes;
}

}  // namespace norvane::bench
