// The instrument set the pages draw with: the 34 named sprites created at
// start-up, the nine text fonts, the primitives and the screen. The shell
// owns the objects; the pages only hold these references.
#pragma once

namespace velmora {

class Sprite;
class Font;
class Primitives;
class Screen;
class PictureList;

struct Instruments {
  Screen* screen = nullptr;
  PictureList* images = nullptr;
  Primitives* primitives = nullptr;
  Font* bankLabelFont = nullptr;
  Font* readoutFont = nullptr;
  Font* loadFactorFont = nullptr;
  Font* dialReadoutFont = nullptr;
  Font* smallReadoutFont = nullptr;
  Font* captionFont = nullptr;
  Font* radarAltitudeFont = nullptr;
  Font* spareFont = nullptr;
  Font* engineSpeedFont = nullptr;

  // Flight page.
  Sprite* AdiPitchSprite = nullptr;
  Sprite* DirectorPitchBarSprite = nullptr;
  Sprite* DirectorBankBarSprite = nullptr;
  Sprite* AdiPlaneSprite = nullptr;
  Sprite* FlightFrameSprite = nullptr;
  Sprite* SpeedDialSprite = nullptr;
  Sprite* SpeedNeedleSprite = nullptr;
  Sprite* VerticalSpeedDialSprite = nullptr;
  Sprite* VerticalSpeedNeedleSprite = nullptr;
  Sprite* LoadFactorScaleSprite = nullptr;
  Sprite* LoadFactorPointerSprite = nullptr;
  Sprite* AoaDialSprite = nullptr;
  Sprite* AoaNeedleSprite = nullptr;
  Sprite* AltitudeDialSprite = nullptr;
  Sprite* AltitudeKmNeedleSprite = nullptr;
  Sprite* AltitudeMetreNeedleSprite = nullptr;
  Sprite* HsiCardSprite = nullptr;
  Sprite* AdfNeedleSprite = nullptr;
  Sprite* RmiNeedleSprite = nullptr;
  Sprite* SlipTubeSprite = nullptr;
  Sprite* SlipBallSprite = nullptr;
  // Tactical page.
  Sprite* OwnAircraftSymbolSprite = nullptr;
  Sprite* TacticalBackgroundSprite = nullptr;
  Sprite* TacticalCompassSprite = nullptr;
  Sprite* TacticalFrameSprite = nullptr;
  Sprite* TargetSymbolSprite = nullptr;
  Sprite* CourseLineSprite = nullptr;
  // Flight page again (Mach strip, HSI background, engines, lamp panel).
  Sprite* MachScaleSprite = nullptr;
  Sprite* HsiBackgroundSprite = nullptr;
  Sprite* EngineDialSprite = nullptr;
  Sprite* EngineDial2Sprite = nullptr;
  Sprite* LeftEngineNeedleSprite = nullptr;
  Sprite* RightEngineNeedleSprite = nullptr;
  Sprite* PpiSprite = nullptr;
};

}  // namespace velmora
