#pragma once
// The IDE: creates the application and its windows in their order and runs
// the message loop until the main window closes.
int RunIde(int argc, char** argv);
