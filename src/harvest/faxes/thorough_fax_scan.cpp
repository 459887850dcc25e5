#include "harvest/faxes/thorough_fax_scan.h"

#include <algorithm>
#include <optional>
#include <unordered_set>

#include "harvest/ascii_text.h"
#include "harvest/faxes/fax_labels.h"
#include "harvest/faxes/phone_numbers.h"

namespace norvane {

namespace {

// How far before a number its label may stand ("Fax number for orders (EU): ").
constexpr std::size_t kLabelReach = 64;
// How much text may follow a label that ends a block for it to label the next block
// ("Fax:", "Sales fax number:").
constexpr std::size_t kTrailingLabelSlack = 24;
// The longest heading over lines of numbers, spaces not counted ("Fax numbers:").
constexpr std::size_t kHeadingLength = 16;

bool HasAlnum(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return ascii::IsAlnum(c); });
}

// The last `reach` bytes of a text, not starting inside a UTF-8 sequence.
std::string_view Tail(std::string_view text, std::size_t reach) {
  if (text.size() <= reach) return text;
  std::size_t from = text.size() - reach;
  while (from < text.size() && (static_cast<unsigned char>(text[from]) & 0xC0) == 0x80) ++from;
  return text.substr(from);
}

// A block that holds a label and little else ("Fax:", "Fax numbers").
bool IsHeading(std::string_view block) {
  std::size_t length = 0;
  for (char c : block) {
    if (ascii::IsDigit(c)) return false;
    if (c != ' ') ++length;
  }
  return length <= kHeadingLength;
}

// Words that join two numbers under one label ("Fax: 555-0100 or 555-0101", "/ 30").
bool JoinsNumbers(std::string_view between) {
  std::string letters;
  for (char c : between) {
    if (ascii::IsDigit(c)) return false;
    if (ascii::IsAlpha(c)) letters.push_back(ascii::Lower(c));
  }
  return letters.empty() || letters == "or" || letters == "and" || letters == "ou" ||
         letters == "oder" || letters == "und" || letters == "et" || letters == "o" ||
         letters == "y" || letters == "e";
}

class ThoroughScan {
 public:
  ThoroughScan(const FaxPageText& page, const std::string& region, bool allowInternational)
      : m_page(page),
        m_region(region),
        m_regionIsNorthAmerican(IsNorthAmericanRegion(region)),
        m_allowInternational(allowInternational) {}

  std::vector<FoundFax> run() {
    auto marked = m_page.marked.begin();
    for (std::size_t i = 0; i < m_page.blockCount(); ++i) {
      for (; marked != m_page.marked.end() && marked->block <= i; ++marked) addMarked(*marked);
      scanBlock(i);
    }
    for (; marked != m_page.marked.end(); ++marked) addMarked(*marked);
    return std::move(m_found);
  }

 private:
  void add(const PhoneNumber& number) {
    if (!number.northAmerican && !m_allowInternational) return;
    if (!m_stored.insert(number.stored).second) return;
    m_found.push_back({number.stored, number.location});
  }

  // Read in the page's region, and as a North-American number where the region has other
  // numbering, since pages abroad give their offices in the Americas that way.
  void addWritten(std::string_view written) {
    std::optional<PhoneNumber> number;
    const bool northAmericanFirst = !m_regionIsNorthAmerican && LacksTrunkPrefix(written, m_region);
    if (northAmericanFirst) number = ParsePhoneNumber(written, "US");
    if (!number) number = ParsePhoneNumber(written, m_region);
    if (!number && !m_regionIsNorthAmerican && !northAmericanFirst)
      number = ParsePhoneNumber(written, "US");
    if (number) add(*number);
  }

  void addMarked(const FaxPageText::MarkedFax& marked) { addWritten(marked.number); }

  // The short labels "F:" and "Fx" count where a phone label stands in the block or in the
  // non-empty blocks beside it.
  bool shortFaxLabels(std::size_t i) const {
    if (HasPhoneLabel(m_page.block(i))) return true;
    for (std::size_t k = i; k-- > 0;) {
      if (HasAlnum(m_page.block(k))) return HasPhoneLabel(m_page.block(k));
    }
    return false;
  }
  bool nextHasPhoneLabel(std::size_t i) const {
    for (std::size_t k = i + 1; k < m_page.blockCount(); ++k) {
      if (HasAlnum(m_page.block(k))) return HasPhoneLabel(m_page.block(k));
    }
    return false;
  }

  void scanBlock(std::size_t i) {
    const std::string_view block = m_page.block(i);
    if (!HasAlnum(block)) return;  // an empty cell keeps the label before it
    const NumberLabel pending = m_pending;
    m_pending = NumberLabel::None;
    const NumberLabel heading = m_heading;
    m_heading = NumberLabel::None;
    const bool faxBefore = pending == NumberLabel::Fax || heading == NumberLabel::Fax;
    const FaxMention mention = MentionOfFax(block);
    bool shortLabels = false;
    if (mention == FaxMention::ShortLabel) {
      shortLabels = shortFaxLabels(i) || nextHasPhoneLabel(i);
      if (!shortLabels && !faxBefore) return;
    } else if (mention == FaxMention::None && !faxBefore) {
      return;
    }

    // Each candidate's label is settled first; only a fax is asked of the phone-number library.
    const std::vector<NumberCandidate> numbers = FindNumberCandidates(block);
    std::size_t previousEnd = 0;
    NumberLabel previous = pending;
    bool ownLabels = false;
    for (std::size_t k = 0; k < numbers.size(); ++k) {
      const NumberCandidate& number = numbers[k];
      const std::string_view before = block.substr(previousEnd, number.start - previousEnd);
      NumberLabel label = LabelBefore(Tail(before, kLabelReach), shortLabels);
      ownLabels = ownLabels || label != NumberLabel::None;
      // A number joined to the one before ("Fax: 555-0100, 555-0101"), or first in a block
      // after a label that stood alone, takes that label.
      if (label == NumberLabel::None && JoinsNumbers(before)) label = previous;
      if (label == NumberLabel::None) {
        const std::size_t afterEnd = k + 1 < numbers.size() ? numbers[k + 1].start : block.size();
        const std::string_view after = block.substr(number.end, afterEnd - number.end);
        if (FaxLabelAfter(after, k + 1 < numbers.size())) label = NumberLabel::Fax;
      }
      // Under a heading of its own ("Fax:" over "Admissions: 555-0100", "Records: ...").
      if (label == NumberLabel::None) label = heading;
      if (label == NumberLabel::Fax)
        addWritten(block.substr(number.start, number.end - number.start));
      previous = label;
      previousEnd = number.end;
    }
    // A label that ends the block labels the next one ("Fax:" in a cell or a line of its own).
    std::size_t labelEnd = 0;
    const std::string_view tail = block.substr(previousEnd);
    const NumberLabel trailing = LabelBefore(tail, shortLabels, &labelEnd);
    if (trailing != NumberLabel::None && tail.size() - labelEnd <= kTrailingLabelSlack)
      m_pending = trailing;
    // A heading holds over the lines of numbers under it that carry no label of their own.
    if (numbers.empty() && IsHeading(block)) m_heading = trailing;
    if (!numbers.empty() && !ownLabels) m_heading = heading;
  }

  const FaxPageText& m_page;
  const std::string& m_region;
  const bool m_regionIsNorthAmerican;
  const bool m_allowInternational;
  NumberLabel m_pending = NumberLabel::None;
  NumberLabel m_heading = NumberLabel::None;
  std::unordered_set<std::string> m_stored;
  std::vector<FoundFax> m_found;
};

}  // namespace

std::vector<FoundFax> ThoroughFaxScan(const FaxPageText& page, const std::string& region,
                                      bool allowInternational) {
  return ThoroughScan(page, region, allowInternational).run();
}

std::string AddressHost(std::string_view address) {
  const std::size_t scheme = address.find("://");
  if (scheme != std::string_view::npos) address.remove_prefix(scheme + 3);
  while (!address.empty() && address.front() == '/') address.remove_prefix(1);
  address = address.substr(0, address.find_first_of("/?#"));
  const std::size_t at = address.rfind('@');
  if (at != std::string_view::npos) address.remove_prefix(at + 1);
  address = address.substr(0, address.find(':'));
  std::string host;
  for (char c : address) host.push_back(ascii::Lower(c));
  return host;
}

std::vector<FoundFax> FindFaxesThoroughly(std::string_view body, std::string_view pageAddress,
                                          bool allowInternational) {
  if (!MayMentionFax(body)) return {};
  return FindFaxesThoroughly(ReadFaxPageText(body), pageAddress, allowInternational);
}

std::vector<FoundFax> FindFaxesThoroughly(const FaxPageText& page, std::string_view pageAddress,
                                          bool allowInternational) {
  std::string host = AddressHost(pageAddress);
  if (host.empty()) host = AddressHost(page.selfAddress);
  return ThoroughFaxScan(page, PageRegion(host, page.language, page.linkedRegion),
                         allowInternational);
}

}  // namespace norvane
