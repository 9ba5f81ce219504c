#!/usr/bin/env python3
"""Writes the telemetry messages behind the reference screenshots.

Each state names the values it sets; every other position keeps the value of
`BASE`. A message is the 33 numbers in message order, each followed by one
space, then "$". Run from anywhere: the files land beside this script.
"""
import os

# Message positions (1-based) of the received values.
POS = {
    "Altitude": 1, "IndicatedAirspeed": 2, "LeftEngineRpm": 3, "Pitch": 4, "Bank": 5,
    "Spare6": 6, "AngleOfAttack": 7, "LoadFactor": 8, "VerticalSpeed": 9, "Mach": 10,
    "DirectorPitch": 11, "DirectorBank": 12, "AdfBearing": 13, "RmiBearing": 14,
    "Heading": 15, "BallDeflection": 16, "PressureSetting": 17, "RadarAltitude": 18,
    "GlideslopeDeviation": 19, "LocalizerDeviation": 20, "RightEngineRpm": 21,
    "LeftEngineTemp": 22, "RightEngineTemp": 23, "FuelQuantity1": 24, "FuelQuantity2": 25,
    "Spare26": 26, "Spare27": 27, "TrueAirspeed": 28, "NavDistance": 29, "TargetRange": 30,
    "PairLampState": 31, "SingleLampState": 32, "TripleLampState": 33,
}

# Level cruise: the reference every other state changes.
BASE = dict(
    Altitude=5400, IndicatedAirspeed=600, TrueAirspeed=760, Pitch=2, Bank=0, AngleOfAttack=4,
    LoadFactor=1.0, VerticalSpeed=0.3, Mach=0.72, DirectorPitch=2, DirectorBank=0,
    AdfBearing=20, RmiBearing=70, Heading=45, BallDeflection=0, PressureSetting=755.5,
    RadarAltitude=0, GlideslopeDeviation=0, LocalizerDeviation=0,
    LeftEngineRpm=88, RightEngineRpm=89, LeftEngineTemp=620, RightEngineTemp=640,
    FuelQuantity1=2400, FuelQuantity2=1850, NavDistance=23700, TargetRange=-1,
    PairLampState=0, SingleLampState=0, TripleLampState=0,
)

STATES = {
    "cruise": {},
    # Climbing left turn pulling 7 g; the director asks for a little more bank.
    "turn-7g": dict(Altitude=3200, IndicatedAirspeed=780, TrueAirspeed=880, Pitch=25, Bank=-60,
                    DirectorPitch=30, DirectorBank=-45, AngleOfAttack=14, LoadFactor=7.0,
                    VerticalSpeed=12, Mach=0.8, Heading=300, BallDeflection=0.5,
                    LeftEngineRpm=97, RightEngineRpm=97, LeftEngineTemp=760, RightEngineTemp=770),
    # Both engines in afterburner (above 100 %): red needles and "Ф".
    "afterburner": dict(Altitude=9000, IndicatedAirspeed=1050, TrueAirspeed=1420, Pitch=5, Mach=1.35,
                        AngleOfAttack=3, VerticalSpeed=4.5, LeftEngineRpm=103, RightEngineRpm=104.5,
                        LeftEngineTemp=860, RightEngineTemp=880, Heading=10),
    # Below 800 kg with every lamp lit; engines throttled back (low regime).
    "low-fuel": dict(FuelQuantity1=410, FuelQuantity2=335, LeftEngineRpm=55, RightEngineRpm=58,
                     LeftEngineTemp=430, RightEngineTemp=450, IndicatedAirspeed=450, Mach=0.5,
                     Altitude=2100, PairLampState=2, SingleLampState=1, TripleLampState=1),
    # On approach with both deviation bars deflected: localizer bar right, glideslope bar low.
    "ils-approach": dict(Altitude=420, RadarAltitude=390, IndicatedAirspeed=300, TrueAirspeed=310,
                         Pitch=-2.5, DirectorPitch=-4, Bank=4, DirectorBank=-6, AngleOfAttack=9,
                         VerticalSpeed=-4.5, Mach=0.25, Heading=95, AdfBearing=88, RmiBearing=80,
                         LocalizerDeviation=0.6, GlideslopeDeviation=-0.5, NavDistance=7400,
                         LeftEngineRpm=76, RightEngineRpm=77, LeftEngineTemp=540,
                         RightEngineTemp=550, FuelQuantity1=900, FuelQuantity2=750),
    # Tactical page: a target straight ahead at 8 km (5/10 km rings) and 15 km (10/20 km).
    "tactical-8km": dict(TargetRange=8000, Heading=30),
    "tactical-15km": dict(TargetRange=15000, Heading=30),
}


def message(values):
    v = dict(BASE)
    v.update(values)
    fields = [0.0] * 33
    for name, value in v.items():
        fields[POS[name] - 1] = value
    return "".join(f"{x:g} " for x in fields) + "$"


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    for name, values in STATES.items():
        with open(os.path.join(here, name + ".txt"), "w", newline="") as f:
            f.write(message(values))
