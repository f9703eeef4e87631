// The program's icon for the desktop's menus and launchers: the title-bar logo at the
// sizes the hicolor theme looks for first. They are written below "/icons/" of the
// application directory and installed into the icon theme, not into the application folder.
#include "paint_kit.h"

namespace imagegen {
namespace {

const Registrar images[] = {
    {"/icons/hicolor/48x48/apps/calvorine.png", [] { return glyphIcon(48, glyph::logo, palette::accent); }},
    {"/icons/hicolor/256x256/apps/calvorine.png", [] { return glyphIcon(256, glyph::logo, palette::accent); }},
};

} // namespace
} // namespace imagegen
