// Rest geometry of every instrument sprite.
#include "app/InstrumentSprites.h"

#include "engine/PictureList.h"
#include "engine/Sprite.h"

namespace velmora {

namespace {
using P = SpriteProp;
constexpr SpriteSetting A(float v) { return {P::Angle, v}; }
constexpr SpriteSetting SX(float v) { return {P::ScaleX, v}; }
constexpr SpriteSetting SY(float v) { return {P::ScaleY, v}; }
constexpr SpriteSetting CX(float v) { return {P::CenterX, v}; }
constexpr SpriteSetting CY(float v) { return {P::CenterY, v}; }
constexpr std::array<SpriteSetting, 4> None{};
}  // namespace

#define ROW(name, image, x, y, n, ...) \
  SpriteRow { &Instruments::name, #name, image, x, y, __VA_ARGS__, n }

const std::array<SpriteRow, 34> kSpriteTable{{
    ROW(AdiPitchSprite, "ADI_pitch", 275, 16, 0, None),
    ROW(DirectorPitchBarSprite, "DRP", 373, 206, 0, None),
    ROW(DirectorBankBarSprite, "DRB", 402, 206, 2, {{CX(0.5f), CY(1.0f)}}),
    ROW(AdiPlaneSprite, "Plane", -44, 16, 4, {{SX(0.26f), SY(0.26f), CX(0.5f), CY(0.75f)}}),
    ROW(FlightFrameSprite, "Main_minus_ADI", 0, 0, 0, None),
    ROW(SpeedDialSprite, "Speed", 103, 330, 0, None),
    ROW(SpeedNeedleSprite, "Speed_arrow", 127, 394, 3, {{A(0.0f), CX(1.0f), CY(1.0f)}}),
    ROW(VerticalSpeedDialSprite, "Vertical_speed", 555, 113, 0, None),
    ROW(VerticalSpeedNeedleSprite, "Vertical_speed_arrow", 650, 147, 3, {{A(-90.0f), CX(0.25f), CY(1.0f)}}),
    ROW(LoadFactorScaleSprite, "G_meter", 90, 90, 0, None),
    ROW(LoadFactorPointerSprite, "G_meter_arrow", 93, 90, 0, None),
    ROW(AoaDialSprite, "AOA", 160, 107, 0, None),
    ROW(AoaNeedleSprite, "AOA_arrow", 185, 215, 2, {{CX(1.0f), CY(1.0f)}}),
    ROW(AltitudeDialSprite, "Alt", 488, 335, 0, None),
    ROW(AltitudeKmNeedleSprite, "Alt_KM", 592, 402, 2, {{CX(0.1f), CY(0.9f)}}),
    ROW(AltitudeMetreNeedleSprite, "Alt_M", 568, 436, 2, {{CX(0.82f), CY(0.05f)}}),
    ROW(HsiCardSprite, "HSI_compass", 318, 380, 2, {{CX(0.5f), CY(0.5f)}}),
    ROW(AdfNeedleSprite, "ADF", 396, 384, 2, {{CX(0.5f), CY(0.5f)}}),
    ROW(RmiNeedleSprite, "RMI", 395, 384, 2, {{CX(0.5f), CY(0.5f)}}),
    ROW(SlipTubeSprite, "Slide_ball", 356, 340, 0, None),
    ROW(SlipBallSprite, "Ball", 399, 160, 2, {{CX(0.5f), CY(0.0f)}}),
    ROW(OwnAircraftSymbolSprite, "Map_Plane", 379, 500, 2, {{SX(0.41f), SY(0.41f)}}),
    ROW(TacticalBackgroundSprite, "Tactic_Fon", 75, 71, 0, None),
    ROW(TacticalCompassSprite, "Tactic_Compass", 6, 145, 0, None),
    ROW(TacticalFrameSprite, "Tactic_Frame", 0, 0, 0, None),
    ROW(TargetSymbolSprite, "Map_Plane", 0, 0, 2, {{SX(0.25f), SY(0.25f)}}),
    ROW(CourseLineSprite, "Tactic_Course_Line", 398, 141, 0, None),
    ROW(MachScaleSprite, "Mach_meter", 0, 392, 0, None),
    ROW(HsiBackgroundSprite, "HSI_fon", 350, 415, 0, None),
    ROW(EngineDialSprite, "Engine_Fon", 730, 155, 0, None),
    ROW(EngineDial2Sprite, "Engine_Fon_2", 740, 155, 0, None),
    ROW(LeftEngineNeedleSprite, "Engine_Left_Arrow", 502, 180, 4, {{SX(1.2f), SY(1.2f), CX(0.0f), CY(0.5f)}}),
    ROW(RightEngineNeedleSprite, "Engine_Right_Arrow", 905, 180, 4, {{SX(1.2f), SY(1.2f), CX(1.0f), CY(0.5f)}}),
    ROW(PpiSprite, "PPI", 745, 415, 2, {{SX(0.9f), SY(0.9f)}}),
}};

#undef ROW

void CreateInstrumentSprites(Instruments& ins, SpriteSet& sprites, const PictureCollection& images) {
  for (const SpriteRow& row : kSpriteTable) {
    Sprite* s = sprites.CreateSprite();
    ins.*row.ref = s;
    // Every name is in the catalogue; a missing one leaves the sprite without
    // a picture, which draws nothing.
    s->SetImage(images.Find(row.image));
    s->SetX(row.x);
    s->SetY(row.y);
    s->SetZ(1);
    for (int i = 0; i < row.furtherCount; ++i) {
      const SpriteSetting& f = row.further[static_cast<std::size_t>(i)];
      switch (f.prop) {
        case SpriteProp::Angle: s->Angle = f.value; break;
        case SpriteProp::ScaleX: s->ScaleX = f.value; break;
        case SpriteProp::ScaleY: s->ScaleY = f.value; break;
        case SpriteProp::CenterX: s->CenterX = f.value; break;
        case SpriteProp::CenterY: s->CenterY = f.value; break;
      }
    }
  }
}

}  // namespace velmora
