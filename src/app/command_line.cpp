#include "app/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace norvane {

QStringList ParseCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Builds lists of fax numbers from the public web: search strings, the websites a search "
      "engine finds for them, and the fax numbers on those websites."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption appDir(
      QStringLiteral("app-dir"),
      QStringLiteral("Keep the database, the page files, the help file and the sounds in <DIR>."),
      QStringLiteral("DIR"));
  parser.addOption(appDir);
  parser.process(arguments);  // ends the program for --help, --version and unknown options
  if (!parser.isSet(appDir)) return {};
  return {QStringLiteral("--app-dir"), parser.value(appDir)};
}

}  // namespace norvane
