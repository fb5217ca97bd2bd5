// The program's steps from start to end, on whatever backend has been set.
#pragma once

// Initialises the application, names it, creates the main form and runs the message loop.
// Returns 0 after a granted close. An exception that escapes start-up is shown in the
// error box, and the program then ends with 1.
int RunProgram();
