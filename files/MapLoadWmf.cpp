#include "files/MapLoadWmf.h"

#include "model/Define.h"

#include <QImageReader>
#include <QtEndian>
#include <cstring>
#include <dlfcn.h>
#include <iterator>
#include <libwmf/api.h>
#include <libwmf/gd.h>
#include <mutex>

namespace {

QString Say(const char* French, const char* English)
{
    return Language == 1 ? QString::fromUtf8(English) : QString::fromUtf8(French);
}

// The library's entry points, found once.
struct TWmfLib
{
    decltype(&wmf_api_create) api_create = nullptr;
    decltype(&wmf_api_destroy) api_destroy = nullptr;
    decltype(&wmf_mem_open) mem_open = nullptr;
    decltype(&wmf_mem_close) mem_close = nullptr;
    decltype(&wmf_scan) scan = nullptr;
    decltype(&wmf_display_size) display_size = nullptr;
    decltype(&wmf_play) play = nullptr;
    decltype(&wmf_gd_function) gd_function = nullptr;
    QString error; // why it could not be loaded
};

template <class F> bool Find(void* Handle, F& Fn, const char* Name)
{
    Fn = reinterpret_cast<F>(dlsym(Handle, Name));
    return Fn != nullptr;
}

const TWmfLib& WmfLib()
{
    static TWmfLib lib;
    static std::once_flag once;
    std::call_once(once, [] {
        void* h = dlopen("libwmf-0.2.so.7", RTLD_NOW | RTLD_LOCAL);
        if (!h) {
            lib.error = QString::fromLocal8Bit(dlerror());
            return;
        }
        if (!(Find(h, lib.api_create, "wmf_api_create") && Find(h, lib.api_destroy, "wmf_api_destroy") &&
              Find(h, lib.mem_open, "wmf_mem_open") && Find(h, lib.mem_close, "wmf_mem_close") &&
              Find(h, lib.scan, "wmf_scan") && Find(h, lib.display_size, "wmf_display_size") &&
              Find(h, lib.play, "wmf_play") && Find(h, lib.gd_function, "wmf_gd_function")))
            lib.error = QString::fromLocal8Bit(dlerror());
    });
    return lib;
}

QString ErrorText(wmf_error_t E)
{
    switch (E) {
    case wmf_E_InsMem:
        return Say("mémoire insuffisante", "not enough memory");
    case wmf_E_BadFile:
        return Say("fichier illisible", "unreadable file");
    case wmf_E_BadFormat:
        return Say("format de métafichier non reconnu", "metafile format not recognised");
    case wmf_E_EOF:
        return Say("métafichier tronqué", "metafile cut short");
    default:
        return Say("le métafichier ne peut pas être dessiné", "the metafile cannot be drawn");
    }
}

// The standard PostScript fonts that libwmf wants, taken from the metric-compatible Liberation
// fonts that every installation of the program has.
wmfMapping* FontMap()
{
    static const char* names[][2] = {
        {"Times-Roman", "LiberationSerif-Regular.ttf"},
        {"Times-Italic", "LiberationSerif-Italic.ttf"},
        {"Times-Bold", "LiberationSerif-Bold.ttf"},
        {"Times-BoldItalic", "LiberationSerif-BoldItalic.ttf"},
        {"Helvetica", "LiberationSans-Regular.ttf"},
        {"Helvetica-Oblique", "LiberationSans-Italic.ttf"},
        {"Helvetica-Bold", "LiberationSans-Bold.ttf"},
        {"Helvetica-BoldOblique", "LiberationSans-BoldItalic.ttf"},
        {"Courier", "LiberationMono-Regular.ttf"},
        {"Courier-Oblique", "LiberationMono-Italic.ttf"},
        {"Courier-Bold", "LiberationMono-Bold.ttf"},
        {"Courier-BoldOblique", "LiberationMono-BoldItalic.ttf"},
        {"Symbol", "LiberationSans-Regular.ttf"},
        {"ZapfDingbats", "LiberationSans-Regular.ttf"},
    };
    static wmfMapping map[std::size(names) + 1] = {};
    for (size_t i = 0; i < std::size(names); ++i) {
        map[i].name = const_cast<char*>(names[i][0]);
        map[i].mapping = const_cast<char*>(names[i][1]);
        map[i].encoding = FT_ENCODING_ADOBE_STANDARD;
    }
    return map;
}

// The length of the PNG file at P (libwmf gives its memory output without one).
qsizetype PngLength(const uchar* P)
{
    static const uchar sig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (!P || std::memcmp(P, sig, 8) != 0) return -1;
    qsizetype at = 8;
    for (;;) {
        const quint32 len = qFromBigEndian<quint32>(P + at);
        if (len > 0x7FFFFFFF) return -1;
        const bool end = std::memcmp(P + at + 4, "IEND", 4) == 0;
        at += 12 + qsizetype(len);
        if (end) return at;
    }
}

} // namespace

bool IsWmfData(const QByteArray& Data)
{
    if (Data.size() < 18) return false;
    const auto* p = reinterpret_cast<const uchar*>(Data.constData());
    if (qFromLittleEndian<quint32>(p) == 0x9AC6CDD7u) return true;
    const quint16 type = qFromLittleEndian<quint16>(p), words = qFromLittleEndian<quint16>(p + 2);
    const quint16 version = qFromLittleEndian<quint16>(p + 4);
    return (type == 1 || type == 2) && words == 9 && (version == 0x0100 || version == 0x0300);
}

bool RenderWmf(const QByteArray& Data, QSize Size, QImage& Image, QString& Why)
{
    if (!IsWmfData(Data)) {
        Why = ErrorText(wmf_E_BadFormat);
        return false;
    }
    // A file cut short reads as a bad format to the library: told apart by the size the header
    // announces (in 16-bit words).
    const qsizetype head = qFromLittleEndian<quint32>(Data.constData()) == 0x9AC6CDD7u ? 22 : 0;
    if (Data.size() < head + 18 ||
        qint64(qFromLittleEndian<quint32>(Data.constData() + head + 6)) * 2 > Data.size() - head) {
        Why = ErrorText(wmf_E_EOF);
        return false;
    }
    const TWmfLib& lib = WmfLib();
    if (!lib.error.isEmpty()) {
        Why =
            Say("bibliothèque libwmf indisponible (%1)", "libwmf library not available (%1)").arg(lib.error);
        return false;
    }
    static char fontDir[] = "/usr/share/fonts/truetype/liberation2";
    static char* fontDirs[] = {fontDir, nullptr};
    wmfAPI_Options options{};
    options.function = lib.gd_function;
    options.fontdirs = fontDirs;
    options.font.ps = FontMap();
    wmfAPI* api = nullptr;
    const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_FONTDIRS | WMF_OPT_FONTMAP |
                                WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    wmf_error_t err = lib.api_create(&api, flags, &options);
    if (err != wmf_E_None) {
        if (api) lib.api_destroy(api);
        Why = ErrorText(err);
        return false;
    }
    // The library only reads the bytes.
    err = lib.mem_open(api, reinterpret_cast<unsigned char*>(const_cast<char*>(Data.constData())),
                       long(Data.size()));
    const bool opened = err == wmf_E_None;
    wmfD_Rect box{};
    if (err == wmf_E_None) err = lib.scan(api, 0, &box);
    unsigned w = 0, h = 0;
    if (err == wmf_E_None) err = lib.display_size(api, &w, &h, 96, 96);
    if (Size.isValid() && !Size.isEmpty()) {
        w = unsigned(Size.width());
        h = unsigned(Size.height());
    }
    // A picture the image limit refuses for the other maps is refused here too, before the
    // library tries to allocate it.
    const double bytes = double(w) * double(h) * 4;
    const bool tooLarge = bytes > double(QImageReader::allocationLimit()) * 1024 * 1024;
    QImage img;
    if (err == wmf_E_None && (w == 0 || h == 0 || tooLarge)) {
        Why = tooLarge ? Say("image de %1 x %2 points trop grande", "picture of %1 x %2 pixels too large")
                             .arg(w)
                             .arg(h)
                       : Say("métafichier de taille nulle", "metafile of no size");
    } else if (err == wmf_E_None) {
        wmf_gd_t* out = WMF_GD_GetData(api);
        out->type = wmf_gd_png;
        out->flags |= WMF_GD_OUTPUT_MEMORY;
        out->bbox = box;
        out->width = w;
        out->height = h;
        err = lib.play(api, 0, &box);
        const auto* png = reinterpret_cast<const uchar*>(out->memory);
        const qsizetype len = err == wmf_E_None ? PngLength(png) : -1;
        if (len > 0) img.loadFromData(png, int(len), "PNG");
        if (err == wmf_E_None && img.isNull())
            Why = ErrorText(wmf_E_DeviceError);
        else if (err != wmf_E_None)
            Why = ErrorText(err);
    } else {
        Why = ErrorText(err);
    }
    if (opened) lib.mem_close(api);
    lib.api_destroy(api);
    if (img.isNull()) return false;
    Image = img.convertToFormat(QImage::Format_RGB32);
    Why.clear();
    return true;
}
