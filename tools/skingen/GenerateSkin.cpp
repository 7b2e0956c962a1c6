#include "Generators.h"

namespace korva::skingen {

SkinSet GenerateSkin(const DesignForm& design, int scale) {
    SkinSet skin(scale);
    AddBackgrounds(skin, design);
    AddPanels(skin, design);
    AddGraphImages(skin);
    const Beds beds(design, skin);
    AddToolbarButtons(skin, beds);
    AddPanelButtons(skin, beds);
    AddDisplays(skin, beds);
    AddTracks(skin, beds);
    return skin;
}

} // namespace korva::skingen
