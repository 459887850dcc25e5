#pragma once

namespace norvane {

// The program from its application object on: names, application folder (with its help file
// and sounds put in place), the splash, the event loop, and the end of the process. main() and
// the test that times the close run the same steps.
int RunProgram();

}  // namespace norvane
