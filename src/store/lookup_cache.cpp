#include "store/website_mirror.h"

namespace norvane {

void WebsiteMirror::invalidate() {
  m_rows = {};
  m_loaded = false;
}

void WebsiteMirror::clearLoaded() {
  m_rows = {};
  m_loaded = true;
}

void WebsiteMirror::add(const QString& website) {
  if (m_loaded) addKey(Key(website));
}

void WebsiteMirror::addKey(const QByteArray& key) {
  if (m_loaded) ++m_rows[key];
}

void WebsiteMirror::remove(const QString& website) {
  if (!m_loaded) return;
  const auto it = m_rows.find(Key(website));
  if (it == m_rows.end()) return;
  if (--it.value() <= 0) m_rows.erase(it);
}

bool WebsiteMirror::contains(const QString& website) const {
  return m_rows.contains(Key(website));
}

QByteArray WebsiteMirror::Key(const QString& website) {
  return FoldKey(website.toUtf8());
}

QByteArray WebsiteMirror::FoldKey(QByteArray utf8) {
  // Bytes of multi-byte UTF-8 sequences are all 0x80 or above and stay as they are.
  for (char& c : utf8)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return utf8;
}

}  // namespace norvane
