#include "devices/DeviceViews.h"

namespace {
IDeviceViews* Installed = nullptr;
}

void SetDeviceViews(IDeviceViews* Views)
{
    Installed = Views;
}

IDeviceViews* DeviceViews()
{
    return Installed;
}
