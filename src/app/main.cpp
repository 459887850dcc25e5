#include <QApplication>

#include "app/program_start.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  return norvane::RunProgram();
}
