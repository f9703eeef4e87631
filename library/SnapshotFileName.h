// Names of the player's and the recorder's snapshot files. GUI thread (reads the
// settings record).
#pragma once

#include <QString>

// A free path in the screenshot folder (created with its parents when missing):
// "ScreenCapture_" + local time "yyyyMMddhhmmsszzz" + ".png", or, while that file
// exists, the same base with "(1)", "(2)", ... before ".png". Folder and name are joined
// by exactly one "/". A screenshot folder that was never set stands for the documents
// folder's "Converted/Screenshots".
QString makeSnapshotFileName();
