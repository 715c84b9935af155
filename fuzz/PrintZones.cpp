// Airspace from arbitrary bytes drawn on a small printed plan at a scale and centre taken from
// the input: never crash, never hang, nothing drawn outside the image.
#include "print/PrintZones.h"
#include "FuzzCommon.h"
#include "files/OpenAir.h"
#include "model/Texts.h"

#include <QImage>
#include <QPainter>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InitOnce();
    if (size < 9) return 0;
    int32 lat = 0, lon = 0;
    std::memcpy(&lat, data, 4);
    std::memcpy(&lon, data + 4, 4);
    const uint8 scale = data[8];
    auto S = [&] {
        TReadReport R;
        return ReadOpenAirData(fuzz::Bytes(data + 9, size - 9), QStringLiteral("f.txt"), 0, R);
    }();
    if (!S) return 0;
    SetSmp(std::move(S));

    TPlanFrameInput in;
    in.Mode = -3;
    in.Width = 160;
    in.Height = 120;
    in.PxPerMmX = in.PxPerMmY = 2;
    in.CtrLatText = LatiToStr(lat % 9000001);
    in.CtrLonText = LongToStr(lon % 18000001);
    in.ScaleText = QString::number(5000LL << (scale % 12));
    const TPlanFrame F = PlanFrame(in);
    fuzz::Check(F.Valid);
    QImage img(in.Width, in.Height, QImage::Format_RGB32);
    img.fill(Qt::white);
    TPageContext C;
    C.PxPerMmX = C.PxPerMmY = 2;
    TPrintSettings Set;
    for (TCtp& st : Set.PrnZoneStyles) st.Draw = true;
    {
        QPainter P(&img);
        TPlanDraw D{P,
                    C,
                    Set,
                    F,
                    PlanFrameProjection(F, in.Width, in.Height, nullptr),
                    -3,
                    in.Width,
                    in.Height,
                    PageCoordLimit,
                    false,
                    QFont()};
        DrawPlanZones(D);
    }
    SetSmp(nullptr);
    return 0;
}
