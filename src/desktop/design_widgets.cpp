#include "desktop/design_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>

namespace norvane {

QToolButton* PictureButton(QWidget* parent, const char* name, const QString& caption,
                           const QString& tip, QStyle::StandardPixmap picture, const QFont& font) {
  auto* b = new QToolButton(parent);
  b->setObjectName(QLatin1String(name));
  b->setText(caption);
  b->setToolTip(tip);
  b->setIcon(b->style()->standardIcon(picture));
  b->setFont(font);
  b->setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextUnderIcon);
  return b;
}

QLabel* DesignLabel(QWidget* parent, const QString& text, const QFont& font) {
  auto* l = new QLabel(text, parent);
  l->setFont(font);
  l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return l;
}

QComboBox* DesignCombo(QWidget* parent, const char* name, const QStringList& items,
                       const QString& designText, const QFont& font) {
  auto* c = new QComboBox(parent);
  c->setObjectName(QLatin1String(name));
  c->setEditable(true);
  c->setInsertPolicy(QComboBox::NoInsert);
  c->addItems(items);
  c->setCurrentIndex(-1);
  c->lineEdit()->setPlaceholderText(designText);
  c->setFont(font);
  return c;
}

QListWidget* DesignList(QWidget* parent, const char* name, const QFont& font) {
  auto* l = new QListWidget(parent);
  l->setObjectName(QLatin1String(name));
  // Measuring one entry sizes them all, rather than laying out every entry's text again
  // whenever the crawl moves a preview on.
  l->setUniformItemSizes(true);
  l->setFont(font);
  return l;
}

QCheckBox* DesignCheckBox(QWidget* parent, const char* name, const QString& caption,
                          const QString& tip, const QFont& font) {
  auto* c = new QCheckBox(caption, parent);
  c->setObjectName(QLatin1String(name));
  c->setToolTip(tip);
  c->setFont(font);
  return c;
}

QGroupBox* DesignFrame(QWidget* parent, const char* name, const QString& caption,
                       const QFont& font) {
  auto* f = new QGroupBox(caption, parent);
  f->setObjectName(QLatin1String(name));
  f->setFont(font);
  return f;
}

QStatusBar* DesignStatusBar(QMainWindow* window, const char* name, int height) {
  auto* bar = new QStatusBar(window);
  bar->setObjectName(QLatin1String(name));
  bar->setSizeGripEnabled(false);
  bar->setFixedHeight(height);
  bar->setContentsMargins(0, 0, 0, 0);
  window->setStatusBar(bar);
  return bar;
}

QProgressBar* DesignProgressBar(QWidget* parent, const char* name) {
  auto* bar = new QProgressBar(parent);
  bar->setObjectName(QLatin1String(name));
  bar->setRange(0, 100);
  bar->setValue(0);
  bar->setTextVisible(false);
  return bar;
}

}  // namespace norvane
