#pragma once

// Connects stdout and stderr to the console the program was started from, where the system
// does not do that by itself (a Windows program with windows of its own gets none); does
// nothing where they are connected already or no console is there. Called first thing.
void attachConsole();
