#pragma once
// Start-up: reads the command line, creates and shows the main window, opens the files named,
// and runs the program until it ends; gives the exit status.
int RunPatchery(int argc, char** argv);
