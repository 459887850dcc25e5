#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <QStyle>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QMainWindow;
class QProgressBar;
class QStatusBar;
class QToolButton;
class QWidget;

namespace norvane {

// The kinds of widget the windows are drawn with, each made the way the design draws it. Every
// widget gets its object name, the name the program and its tests know it by.

// A picture button: a small picture with the caption under it, or the picture alone when the
// caption is empty.
QToolButton* PictureButton(QWidget* parent, const char* name, const QString& caption,
                           const QString& tip, QStyle::StandardPixmap picture, const QFont& font);

// A plain or heading label whose text starts at its top, so a label that reaches under the next
// widget keeps its lines clear of it.
QLabel* DesignLabel(QWidget* parent, const QString& text, const QFont& font);

// A drop-down combo with editable text and nothing chosen; the design text shows as a prompt
// while nothing is chosen.
QComboBox* DesignCombo(QWidget* parent, const char* name, const QStringList& items,
                       const QString& designText, const QFont& font);

// A list of one-line entries.
QListWidget* DesignList(QWidget* parent, const char* name, const QFont& font);

QCheckBox* DesignCheckBox(QWidget* parent, const char* name, const QString& caption,
                          const QString& tip, const QFont& font);

QGroupBox* DesignFrame(QWidget* parent, const char* name, const QString& caption,
                       const QFont& font);

// The window's status bar: `height` pixels high, without margins or a size grip.
QStatusBar* DesignStatusBar(QMainWindow* window, const char* name, int height);

// A progress bar from 0 to 100 at 0, without a text.
QProgressBar* DesignProgressBar(QWidget* parent, const char* name);

}  // namespace norvane
