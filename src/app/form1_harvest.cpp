// The harvest controller: the handlers of "Start", "Stop", "Resume" and "Next", and the website
// queue that feeds the ten sockets.
#include "app/form1.h"

namespace norvane {

void Form1::Command1_Click() {}
void Form1::StartNextSearch() {}
void Form1::cmdDoSearch_Click() {}
void Form1::cmdStop_Click() {}
void Form1::cmdResume_Click() {}
void Form1::cmdNextSearch_Click() {}
void Form1::TakeNextWebsite(int16_t) {}
QString Form1::NextQueuedWebsite() { return {}; }
void Form1::StopQueueEmpty() {}

}  // namespace norvane
