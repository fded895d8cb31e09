#pragma once

class MainWindow;

// What the program does once the application object exists: names the application (the folder
// of the study record and the settings), the desktop entry and the icon every window carries,
// speaks Chinese in Qt's own boxes, and shows the main window, freed when closed.
MainWindow* ShowMainWindow();
