#pragma once
// Builds small model objects in one line.
#include "model/Define.h"

#include <QString>
#include <memory>

// Appends a waypoint to the set, which owns it; nullptr when the set is full.
inline TWpt* AddWpt(TSwp& S, const QString& Name, int32 Lat = 0, int32 Lon = 0)
{
    auto w = std::make_unique<TWpt>();
    w->Name = Name;
    w->Lat = Lat;
    w->Lon = Lon;
    TWpt* p = w.get();
    return S.AddWpt(w) ? p : nullptr; // a full set refuses it
}

// Appends a turn point to the task.
inline TTrn* AddTrn(TStn& S, const QString& Name, int32 Lat = 0, int32 Lon = 0)
{
    TTrn t;
    t.Name = Name;
    t.Lat = Lat;
    t.Lon = Lon;
    return S.AddTrn(t, -1);
}
