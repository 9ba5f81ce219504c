// The instrument set the pages draw with: the 34 named sprites created at
// start-up, the nine text fonts, the primitives and the screen. The shell
// owns the objects; the pages only hold these references.
#pragma once

namespace velmora {

class TSprite;
class TOmegaFont;
class TOmegaPrimitives;
class TOmegaScreen;
class TOmegaImageList;

struct Instruments {
  TOmegaScreen* screen = nullptr;
  TOmegaImageList* images = nullptr;
  TOmegaPrimitives* primitives = nullptr;
  TOmegaFont* bankLabelFont = nullptr;
  TOmegaFont* readoutFont = nullptr;
  TOmegaFont* loadFactorFont = nullptr;
  TOmegaFont* dialReadoutFont = nullptr;
  TOmegaFont* smallReadoutFont = nullptr;
  TOmegaFont* captionFont = nullptr;
  TOmegaFont* radarAltitudeFont = nullptr;
  TOmegaFont* spareFont = nullptr;
  TOmegaFont* engineSpeedFont = nullptr;

  // Flight page.
  TSprite* AdiPitchSprite = nullptr;
  TSprite* DirectorPitchBarSprite = nullptr;
  TSprite* DirectorBankBarSprite = nullptr;
  TSprite* AdiPlaneSprite = nullptr;
  TSprite* FlightFrameSprite = nullptr;
  TSprite* SpeedDialSprite = nullptr;
  TSprite* SpeedNeedleSprite = nullptr;
  TSprite* VerticalSpeedDialSprite = nullptr;
  TSprite* VerticalSpeedNeedleSprite = nullptr;
  TSprite* LoadFactorScaleSprite = nullptr;
  TSprite* LoadFactorPointerSprite = nullptr;
  TSprite* AoaDialSprite = nullptr;
  TSprite* AoaNeedleSprite = nullptr;
  TSprite* AltitudeDialSprite = nullptr;
  TSprite* AltitudeKmNeedleSprite = nullptr;
  TSprite* AltitudeMetreNeedleSprite = nullptr;
  TSprite* HsiCardSprite = nullptr;
  TSprite* AdfNeedleSprite = nullptr;
  TSprite* RmiNeedleSprite = nullptr;
  TSprite* SlipTubeSprite = nullptr;
  TSprite* SlipBallSprite = nullptr;
  // Tactical page.
  TSprite* OwnAircraftSymbolSprite = nullptr;
  TSprite* TacticalBackgroundSprite = nullptr;
  TSprite* TacticalCompassSprite = nullptr;
  TSprite* TacticalFrameSprite = nullptr;
  TSprite* TargetSymbolSprite = nullptr;
  TSprite* CourseLineSprite = nullptr;
  // Flight page again (Mach strip, HSI background, engines, lamp panel).
  TSprite* MachScaleSprite = nullptr;
  TSprite* HsiBackgroundSprite = nullptr;
  TSprite* EngineDialSprite = nullptr;
  TSprite* EngineDial2Sprite = nullptr;
  TSprite* LeftEngineNeedleSprite = nullptr;
  TSprite* RightEngineNeedleSprite = nullptr;
  TSprite* PpiSprite = nullptr;
};

}  // namespace velmora
