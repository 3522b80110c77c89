#pragma once

// Lets --help and --version reach the console the program was started from. A Windows GUI
// program has no standard output of its own; elsewhere there is nothing to do.
void UseParentConsole();
