// Any page: the tokens come in page order, tag names and attribute names are lower case and
// unique within their tag, and decoding a reference never makes a text longer than it was.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "text/html_tokenizer.h"

namespace {

bool IsLowerCase(std::string_view text) {
  for (char c : text)
    if (c >= 'A' && c <= 'Z') return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view page(reinterpret_cast<const char*>(data), size);
  norvane::HtmlTokenizer tokenizer(page);
  std::size_t last = 0;
  bool first = true;
  std::size_t decodedBytes = 0;
  while (tokenizer.next()) {
    const norvane::HtmlToken& t = tokenizer.token();
    FUZZ_CHECK(t.offset < size);
    FUZZ_CHECK(first || t.offset > last);
    first = false;
    last = t.offset;
    switch (t.kind) {
      case norvane::HtmlTokenKind::StartTag:
      case norvane::HtmlTokenKind::EndTag:
        FUZZ_CHECK(!t.name.empty() && IsLowerCase(t.name));
        FUZZ_CHECK(t.name.find_first_of(" \t\n\r\f/>") == std::string_view::npos);
        for (std::size_t k = 0; k < t.attributes.size(); ++k) {
          FUZZ_CHECK(!t.attributes[k].name.empty() && IsLowerCase(t.attributes[k].name));
          FUZZ_CHECK(t.attribute(t.attributes[k].name) == &t.attributes[k]);
          decodedBytes += t.attributes[k].name.size() + t.attributes[k].value.size();
        }
        break;
      case norvane::HtmlTokenKind::Text:
        FUZZ_CHECK(!t.text.empty());
        decodedBytes += t.text.size();
        break;
      case norvane::HtmlTokenKind::RawText:
        FUZZ_CHECK(page.substr(t.offset, t.text.size()) == t.text);
        decodedBytes += t.text.size();
        break;
    }
  }
  FUZZ_CHECK(decodedBytes <= size);
  FUZZ_CHECK(norvane::DecodeCharacterReferences(page, true).size() <= size);
  FUZZ_CHECK(norvane::DecodeCharacterReferences(page, false).size() <= size);
  return 0;
}
