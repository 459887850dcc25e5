#pragma once

// The real pages of the corpus, read once and shared by every benchmark of a program.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

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

}  // namespace norvane::bench
