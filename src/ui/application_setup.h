#pragma once

// Prepares the running QApplication for the window: the fonts the window names, Qt's
// own texts (the folder picker's buttons and labels) in Japanese whatever the system
// locale, and settings that never reach the disk.
void prepareApplication();
