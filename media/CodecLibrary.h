// The program's start-up of the codec library: its one-time series, run once by the
// main window before any other use, with the program's data folder.
#pragma once

#include <QString>

void startCodecLibrary(const QString& dataFolder);
