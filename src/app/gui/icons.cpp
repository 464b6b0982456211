#include "icons.h"

// The resource lives in a static library: register it explicitly so the linker keeps it.
static void registerIconResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    Q_UNUSED(done);
}

namespace vantelso::gui {

namespace {
QIcon fromResource(const char* name) {
    registerIconResources();
    return QIcon(QStringLiteral(":/vantelso/icons/") + QLatin1String(name));
}
} // namespace

QIcon Icon(Picture picture) {
    switch (picture) {
    case Picture::App:
        return fromResource("app.svg");
    case Picture::Read:
        return fromResource("read.svg");
    case Picture::Write:
        return fromResource("write.svg");
    case Picture::Start:
        return fromResource("start.svg");
    case Picture::Stop:
        return fromResource("stop.svg");
    case Picture::ViewProgram:
        return fromResource("program.svg");
    case Picture::ViewMeasure:
        return fromResource("measure.svg");
    case Picture::ViewSwitch:
        return fromResource("switch.svg");
    case Picture::FlagItalian:
        return fromResource("flag_it.svg");
    case Picture::FlagEnglish:
        return fromResource("flag_en.svg");
    case Picture::Manual:
        return fromResource("pdf.svg");
    }
    return {};
}

QIcon BrandIcon(int brandIndex) {
    switch (brandIndex) {
    case 0:
        return fromResource("brand0.svg");
    case 2:
        return fromResource("brand2.svg");
    case 3:
        return fromResource("brand3.svg");
    default:
        return {};
    }
}

} // namespace vantelso::gui
