#include "simulatedbench.h"

#include "ptyserver.h"

#include <QDir>
#include <QFile>

namespace vantelso::sim {

namespace {

const char* const kMeter0 = "multimetro0";
const char* const kMeter1 = "multimetro1";

} // namespace

QStringList SimulatedBench::instrumentNames() {
    return {QStringLiteral("alimentatore"), QStringLiteral("calibratore"),
            QString::fromLatin1(kMeter0),   QString::fromLatin1(kMeter1),
            QStringLiteral("switch"),       QStringLiteral("generatore")};
}

SimulatedBench::SimulatedBench(std::uint8_t modelByte, std::uint8_t variantBits, QObject* parent)
    : QObject(parent), device_(modelByte, variantBits), meter0_(QString::fromLatin1(kMeter0)),
      meter1_(QString::fromLatin1(kMeter1)) {
    connect(&calibrator_, &SimInstrument::changed, this, &SimulatedBench::applyInput);
    connect(&switches_, &SimInstrument::changed, this, &SimulatedBench::applyInput);
    connect(&generator_, &SimInstrument::changed, this, [this] {
        if (device_.identity().ModelByte == 7)
            applyInput();
    });
    meter0_.setProbe([this](SimMultimeter::Function f) { return probe(meterChannel(), f); });
    meter1_.setProbe([this](SimMultimeter::Function f) { return probe(1, f); });
}

SimulatedBench::~SimulatedBench() = default;

SimInstrument* SimulatedBench::instrument(const QString& name) {
    for (SimInstrument* i : std::initializer_list<SimInstrument*>{
             &supply_, &calibrator_, &meter0_, &meter1_, &switches_, &generator_}) {
        if (i->name().compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return nullptr;
}

bool SimulatedBench::isRsx7030() const {
    return device_.modelIdentifier() == QLatin1String("RSX7030");
}

int SimulatedBench::calibratorChannel() const {
    if (isRsx7030())
        return switches_.isClosed(109) ? 1 : 0;
    return switches_.isClosed(101) && switches_.isClosed(102) ? 1 : 0;
}

int SimulatedBench::meterChannel() const {
    if (isRsx7030())
        return switches_.isClosed(108) || switches_.isClosed(114) ? 1 : 0;
    return switches_.isClosed(111) && switches_.isClosed(112) ? 1 : 0;
}

void SimulatedBench::applyInput() {
    if (device_.identity().ModelByte == 7 && generator_.outputOn()) {
        const double f = generator_.frequency();
        device_.setAnalogInput(0, frequencyResponse_ ? frequencyResponse_(f) : f);
        device_.setAnalogInput(1, std::nullopt);
        return;
    }
    const int channel = calibratorChannel();
    const bool sourcing = calibrator_.quantity() != SimCalibrator::Quantity::None;
    std::optional<double> value =
        sourcing ? std::optional<double>(calibrator_.output()) : std::nullopt;
    // The single-input OEM bench has fixed PTC resistors: 1000 ohm on relay 102, 2000 ohm
    // on relay 113 together with 101.
    if (calibration_ && calibration_->benchModel() == QLatin1String("5010OEM")) {
        if (switches_.isClosed(102))
            value = 1000.0;
        else if (switches_.isClosed(113) && switches_.isClosed(101))
            value = 2000.0;
    }
    device_.setAnalogInput(channel, value);
    device_.setAnalogInput(1 - channel, std::nullopt);
}

void SimulatedBench::setFrequencyResponse(std::function<double(double)> response) {
    frequencyResponse_ = std::move(response);
    applyInput();
}

void SimulatedBench::prepareForCalibration(const QString& model) {
    calibration_ = std::make_unique<SimCalibrationModel>(model);
    calibration_->ambient = calibrator_.ambient();
    device_.setCalibrationModel(calibration_.get());
    calibration_->makeFresh(device_);
    double flat = 18;
    if (model.startsWith(QLatin1String("RSX7031")))
        flat = 13;
    else if (model == QLatin1String("RSX5035"))
        flat = 10;
    if (model != QLatin1String("RSX7030"))
        supply_.setLoad([flat](double v) { return v > 0 ? flat : 0.0; });
    device_.setPowered(supply_.outputOn());
    connect(&supply_, &SimInstrument::changed, this,
            [this] { device_.setPowered(supply_.outputOn()); });
    applyInput();
}

QString SimulatedBench::writeDefaultImageFile(const QString& folder) const {
    const QString name = calibration_ ? calibration_->benchModel() : device_.modelIdentifier();
    const QString path = QDir(folder).filePath(name + QStringLiteral(".dat"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return {};
    for (int a = 0; a < SimDevice::kBankSize; ++a)
        file.write(QByteArray::number(device_.memory(0, a)) + '\n');
    return path;
}

double SimulatedBench::probe(int channel, SimMultimeter::Function f) const {
    const bool current = device_.outputIsCurrent(channel);
    const double out = device_.analogOutput(channel);
    if (f == SimMultimeter::Function::Amperes)
        return current ? out / 1000.0 : 0.0;
    return current ? 0.0 : out;
}

std::unique_ptr<Transport> SimulatedBench::connectTo(const QString& name) {
    SimInstrument* i = instrument(name);
    if (!i)
        return nullptr;
    return std::make_unique<SimInstrumentTransport>(i);
}

bool SimulatedBench::serve(QString* error) {
    endpoints_.clear();
    lines_.clear();
    devicePty_ = std::make_unique<PtyServer>();
    if (!devicePty_->start(&device_, error))
        return false;
    endpoints_.append(
        {QStringLiteral("dispositivo"), devicePty_->slavePath(), QStringLiteral("9600 baud")});

    auto servePty = [&](SimInstrument* instrument, const QString& note) {
        auto line = std::make_unique<PtyLine>();
        if (!line->start(error))
            return false;
        connect(line.get(), &PtyLine::received, instrument, &SimInstrument::receive);
        connect(instrument, &SimInstrument::transmit, line.get(), &PtyLine::send);
        endpoints_.append({instrument->name(), line->slavePath(), note});
        lines_.push_back(std::move(line));
        return true;
    };
    auto serveTcp = [&](SimInstrument* instrument, const QString& note) {
        auto line = std::make_unique<TcpLine>();
        if (!line->start(0, error))
            return false;
        connect(line.get(), &TcpLine::received, instrument, &SimInstrument::receive);
        connect(instrument, &SimInstrument::transmit, line.get(), &TcpLine::send);
        endpoints_.append({instrument->name(), line->resourceName(), note});
        lines_.push_back(std::move(line));
        return true;
    };
    return servePty(&supply_, QStringLiteral("2400 baud")) &&
           servePty(&calibrator_, QStringLiteral("9600 baud")) &&
           servePty(&meter0_, QStringLiteral("9600 baud")) &&
           servePty(&meter1_, QStringLiteral("9600 baud")) &&
           servePty(&switches_, QStringLiteral("9600 baud")) &&
           serveTcp(&meter0_, QStringLiteral("UsbDevice2")) &&
           serveTcp(&generator_, QStringLiteral("UsbDevice1"));
}

QStringList SimulatedBench::aliasLines() const {
    QStringList out;
    for (const Endpoint& e : endpoints_) {
        if (e.note.startsWith(QLatin1String("UsbDevice")))
            out << QStringLiteral("%1 = %2").arg(e.note, e.address);
    }
    out.sort();
    return out;
}

} // namespace vantelso::sim
