#pragma once
// The printed cross-section: altitude against local time of the current trace in a block,
// by the whole trace, as on screen or at chosen scales.
#include "print/PrintPage.h"

struct TCuttFrame
{
    bool Valid = false;
    int32 TimeMin = 0, TimeMax = 0, TimeCtr = 0; // 1e-5 hour
    int32 AltMin = 0, AltMax = 0, AltCtr = 0;    // m
    double TimeScale = 1, AltScale = 1;          // mm per hour, mm per km
    double PxPerTime = 0, PxPerMetre = 0;
    int Width = 0, Height = 0, AltBand = 0, TimeBand = 0;

    int32 TimeToX(double T) const;
    int32 AltToY(double A) const;
};

// Windows and scales of a Width x Height block (bands given) in a mode.
TCuttFrame CuttFrame(const TTrj& T, int32 Mode, int Width, int Height, int AltBand, int TimeBand,
                     double PxPerMmX, double PxPerMmY, const TPrintSettings& S);
// The altitude a fix is drawn at (GPS when chosen and the trace has some).
int32 ProfileAlt(const TTrj& T, const TRec& R);
// Label and tick steps (display units) of the altitude axis for a label density.
void AltAxisSteps(int Q, int& Label, int& Tick);
// Labels per hour and ticks per hour of the time axis for a label density.
void TimeAxisSteps(int Q, int& Labels, int& Ticks);
