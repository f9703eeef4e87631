#include "window_list.h"

namespace calvorine::platform {

uint64_t findTopLevelWindowByTitle(const std::string&) { return 0; }
bool raiseAndActivateWindow(uint64_t) { return false; }
uint64_t activeWindow() { return 0; }
bool isWindowMinimised(uint64_t) { return false; }

} // namespace calvorine::platform
