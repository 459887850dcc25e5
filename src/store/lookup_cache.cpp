#include "store/lookup_cache.h"

namespace norvane {

std::optional<bool> LookupCache::known(const QString& text) const {
  const auto it = m_answers.constFind(Key(text));
  if (it == m_answers.cend()) return std::nullopt;
  return *it;
}

void LookupCache::remember(const QString& text, bool present) {
  QByteArray key = Key(text);
  if (m_answers.size() >= kMaxAnswers && !m_answers.contains(key)) m_answers = {};
  m_answers.insert(std::move(key), present);
}

QByteArray LookupCache::Key(const QString& text) {
  QByteArray utf8 = text.toUtf8();
  // Bytes of multi-byte UTF-8 sequences are all 0x80 or above and stay as they are.
  for (char& c : utf8)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return utf8;
}

}  // namespace norvane
