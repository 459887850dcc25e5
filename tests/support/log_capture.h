#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QStringList>
#include <initializer_list>

namespace norvane::testing {

// The lines one log category writes while the object lives, with that category turned on;
// lines of other categories go on to the handler that was installed before.
class LogCapture {
 public:
  explicit LogCapture(const char* category)
      : m_category(category), m_previous(qInstallMessageHandler(&LogCapture::handle)) {
    s_current = this;
    QLoggingCategory::setFilterRules(QLatin1String(category) + QStringLiteral(".debug=true"));
  }
  ~LogCapture() {
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(m_previous);
    s_current = nullptr;
  }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  const QStringList& lines() const { return m_lines; }
  // Whether one line holds all of the texts.
  bool has(std::initializer_list<QString> parts) const {
    for (const QString& line : m_lines) {
      bool all = true;
      for (const QString& part : parts) all = all && line.contains(part);
      if (all) return true;
    }
    return false;
  }

 private:
  static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    LogCapture* self = s_current;
    if (self && context.category && qstrcmp(context.category, self->m_category) == 0)
      self->m_lines << text;
    else if (self && self->m_previous)
      self->m_previous(type, context, text);
  }

  inline static LogCapture* s_current = nullptr;
  const char* m_category;
  QtMessageHandler m_previous;
  QStringList m_lines;
};

}  // namespace norvane::testing
