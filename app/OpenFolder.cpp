#include "app/AppGlobals.h"

void openFolderOfFile(const std::string&) {}
