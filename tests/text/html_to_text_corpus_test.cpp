#include "text/html_to_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace norvane {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Every real page converts, and the file holds exactly the returned text and one CR LF.
// The corpus folder from the environment, else the one the build was configured with.
fs::path CorpusPages() {
  const char* corpus = std::getenv("NORVANE_CORPUS_DIR");
#ifdef NORVANE_TEXT_TEST_CORPUS_DIR
  if (!corpus || !*corpus) corpus = NORVANE_TEXT_TEST_CORPUS_DIR;
#endif
  return corpus && *corpus ? fs::path(corpus) / "pages" : fs::path();
}

TEST(HtmlToTextCorpus, EveryPageConvertsAndWritesItsFile) {
  const fs::path pages = CorpusPages();
  if (pages.empty() || !fs::is_directory(pages)) GTEST_SKIP() << "no corpus pages";

  const fs::path outFile = fs::path(::testing::TempDir()) / "html_to_text_corpus_out.txt";
  int converted = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(pages)) {
    const std::string extension = entry.path().extension().string();
    if (extension != ".html" && extension != ".htm") continue;
    SCOPED_TRACE(entry.path().filename().string());
    const std::string html = ReadAll(entry.path());
    HtmlToTextWork work;
    const std::string text = HtmlToText(html, outFile.string(), {}, &work);
    EXPECT_EQ(ReadAll(outFile), text + "\r\n");
    EXPECT_LE(text.size(), 2 * html.size() + 16);
    EXPECT_LE(work.lookAheadPositions, 12 * html.size() + 2 * 65536);
    ++converted;
  }
  fs::remove(outFile);
  EXPECT_GT(converted, 0);
}

}  // namespace
}  // namespace norvane
