#include "measurement.h"

#include "catalogue.h"
#include "codecs.h"
#include "devicelink.h"
#include "editormodel.h"
#include "numberformat.h"
#include "texts.h"

#include <QCoreApplication>

namespace vantelso::measure {

namespace {

constexpr int kCommunicationError = 68;
constexpr int kTank = 1;
constexpr int kSquareRoot = 2;

QString rangeText(double start, double end, const QString& unit, bool fahrenheit) {
    const QString a = fahrenheit ? CtoF(start) : FormatRange(start);
    const QString b = fahrenheit ? CtoF(end) : FormatRange(end);
    return a + QStringLiteral(" ÷ ") + b + QLatin1Char(' ') + unit;
}

// Output references of a channel: voltage block at 100 (A) / 112 (B), current block 6 above.
int referenceAddress(int channel, int outputType) {
    return (channel == 0 ? 100 : 112) + (outputType == 0 || outputType == 1 ? 6 : 0);
}

} // namespace

bool HasSecondOutput(const DeviceIdentity& id, bool doubler) {
    const bool rsx7030 = id.DeviceCode == 12 && (id.ModelByte == 0 || id.ModelByte == 1);
    return rsx7030 || (IsSingleChannel(id) && HasDoubler(id) && doubler);
}

MeasureSetup SetupFromEditor(const EditorModel& editor, int lastChannel) {
    MeasureSetup setup;
    setup.record = editor.baseRecord();
    for (int c = 0; c < 2; ++c)
        setup.fahrenheit[std::size_t(c)] = editor.showsFahrenheit(c);
    const bool oneOutput = (editor.isSingleChannel() || IsFrequencyModel(editor.identity())) &&
                           !HasSecondOutput(editor.identity(), setup.record.doubler);
    setup.LastChannel = oneOutput ? 0 : std::clamp(lastChannel, 0, 1);
    return setup;
}

Measurement::Measurement(DeviceLink& link, const Catalogue& catalogue, const Texts& texts,
                         bool* measuringFlag, QObject* parent)
    : QObject(parent), m_link(link), m_catalogue(catalogue), m_texts(texts),
      m_flag(measuringFlag ? measuringFlag : &m_ownFlag) {
    qRegisterMetaType<FrameReading>();
    qRegisterMetaType<RangeLabels>();
    qRegisterMetaType<MeasureEnd>();
    qRegisterMetaType<switches::SwitchBytes>();
}

void Measurement::Stop() {
    *m_flag = false;
}

MeasureEnd Measurement::Start(const MeasureSetup& setup) {
    // A second start while one runs (a click serviced during a frame wait) is ignored.
    if (m_inProcedure || m_link.busy())
        return MeasureEnd::Busy;
    m_inProcedure = true;
    const MeasureEnd why = run(setup);
    m_inProcedure = false;
    return why;
}

MeasureEnd Measurement::finish(MeasureEnd why) {
    m_lamp = colour::Green;
    Q_EMIT activityLamp(m_lamp);
    m_streaming = false;
    *m_flag = false;
    Q_EMIT ended(why);
    return why;
}

MeasureEnd Measurement::run(const MeasureSetup& setup) {
    *m_flag = true;
    m_frames = 0;
    Q_EMIT started();

    const QByteArray id = m_link.ReadIdentity();
    if (m_link.lastCallRefused())
        return finish(MeasureEnd::Busy);
    if (m_link.CommError || id.at(0) != 0)
        return finish(MeasureEnd::IdentifyFailed);
    const DeviceIdentity identity = m_link.identity;

    const QList<int> data = m_link.ReadData();
    m_switches = switches::SwitchBytesFromReply(data, identity);
    if (m_link.CommError || m_link.lastCallRefused()) {
        m_link.StopMeasure();
        return finish(MeasureEnd::SwitchReadFailed);
    }

    const int last = std::clamp(setup.LastChannel, 0, 1);
    for (std::size_t c = 0; c < 2; ++c) {
        m_channels[c] = MeasureChannel{};
        m_channels[c].settings = setup.record.channels[c];
        m_channels[c].fahrenheit = setup.fahrenheit[c];
    }
    Q_EMIT switchesRead(m_switches);
    ApplySwitchSelection(identity, m_switches, m_catalogue, m_channels);
    // A failed table read leaves the channel as the record has it; the measurement goes on.
    for (int c = 0; c <= last; ++c)
        SetUpSwitchChannel(m_link, m_catalogue, m_switches, c, m_channels[std::size_t(c)]);
    // One input, two outputs: channel B shows the same input on its own output.
    if (IsSingleChannel(identity) && last == 1) {
        CopyInputToSecondOutput(m_channels);
        m_channels[1].fahrenheit = m_channels[0].fahrenheit;
    }

    for (int c = 0; c <= last; ++c) {
        ChannelSettings& s = m_channels[std::size_t(c)].settings;
        const QByteArray block = m_link.ReadBlock(0, referenceAddress(c, s.outputType), 6);
        if (m_link.CommError || m_link.lastCallRefused()) {
            if (Prompter* p = m_link.prompter())
                p->ask(m_texts.lang(kCommunicationError), Prompter::Buttons::Ok,
                       Prompter::Icon::Critical);
            return finish(MeasureEnd::ReferenceFailed);
        }
        m_link.BUF = block;
        auto b = [&block](int i) { return std::uint8_t(block.at(i)); };
        s.outputRef3500 = codecs::FloatFromBytes(b(2), b(0), b(1));
        s.outputRef800 = codecs::FloatFromBytes(b(5), b(3), b(4));
    }

    m_labels = BuildLabels(m_catalogue, identity, m_channels, setup.record, last);
    m_converter = FrameConverter(m_catalogue, identity, m_channels, last);
    Q_EMIT rangesReady(m_labels);

    m_link.StartMeasure();
    m_streaming = true;

    for (;;) {
        if (!*m_flag) {
            m_link.StopMeasure();
            return finish(MeasureEnd::Stopped);
        }
        m_lamp = m_lamp == colour::Red ? colour::Green : colour::Red;
        Q_EMIT activityLamp(m_lamp);
        const QByteArray F = m_link.ReadFrame();
        if (F.at(0) != 0)
            return finish(MeasureEnd::FrameCancelled);
        ++m_frames;
        Q_EMIT frameShown(m_converter.convert(F));
        QCoreApplication::processEvents();
    }
}

RangeLabels Measurement::BuildLabels(const Catalogue& catalogue, const DeviceIdentity& id,
                                     const std::array<MeasureChannel, 2>& channels,
                                     const ConfigRecord& record, int lastChannel) {
    RangeLabels out;
    out.channelCount = std::clamp(lastChannel, 0, 1) + 1;
    for (int c = 0; c < out.channelCount; ++c) {
        const auto uc = std::size_t(c);
        const MeasureChannel& mc = channels[uc];
        const ChannelSettings& s = mc.settings;
        const InputType& type = catalogue.Input(s.inputType);
        const bool f = mc.fahrenheit && IsTemperatureType(s.inputType);
        out.progIn[uc] =
            rangeText(s.inputStart, s.inputEnd, f ? type.unitFahrenheit : type.unit, f);
        QString outText =
            rangeText(s.outputStart, s.outputEnd, OutputUnit(catalogue, id, s.outputType), false);
        if (record.function[uc] == kTank)
            outText += QStringLiteral(" - TANK");
        else if (record.function[uc] == kSquareRoot)
            outText += QStringLiteral(" - SQRT");
        out.progOut[uc] = outText;
    }
    // The trips watch channel A's input, in its unit.
    const ChannelSettings& a = channels[0].settings;
    const bool f = channels[0].fahrenheit && IsTemperatureType(a.inputType);
    const InputType& typeA = catalogue.Input(a.inputType);
    const QString unit = f ? typeA.unitFahrenheit : typeA.unit;
    auto threshold = [f, &unit](double v) {
        return (f ? CtoF(v) : FormatRange(v)) + QLatin1Char(' ') + unit;
    };
    for (int t = 0; t < TripChannelCount(id) && t < 2; ++t) {
        const TripConfig& trip = record.trips[std::size_t(t)];
        const int k = 6 * t;
        out.progTrip[std::size_t(k)] = QStringLiteral("H = ") + threshold(trip.high);
        out.progTrip[std::size_t(k + 1)] = QStringLiteral("L = ") + threshold(trip.low);
        out.progTrip[std::size_t(k + 2)] =
            trip.direction ? QStringLiteral("MAX") : QStringLiteral("MIN");
        out.progTrip[std::size_t(k + 3)] = QStringLiteral("Delay = ") +
                                           ShortNumber(TripDelayShown(trip.delay, id)) +
                                           QStringLiteral(" s.");
        for (int i = 0; i < 4; ++i)
            out.tripVisible[std::size_t(k + i)] = true;
        if (id.ModelByte == 7 && t == 0) { // the sensor-fault caption, once
            out.progTrip[std::size_t(k + 4)] = QStringLiteral("Namur Fault");
            out.tripVisible[std::size_t(k + 4)] = true;
        }
    }
    return out;
}

} // namespace vantelso::measure
