#include "configeditor.h"

#include "catalogue.h"
#include "configread.h"
#include "devicelink.h"
#include "editormodel.h"
#include "limitchecks.h"
#include "owntexts.h"
#include "switchmeaning.h"
#include "texts.h"

#include <QMap>
#include <algorithm>
#include <cmath>

namespace vantelso {

namespace {

constexpr int kOptionBytesFirst = 4; // option byte of channel A; channel B's is at 6
constexpr int kOptionBytesCount = 3;
constexpr int kVariantBits = 0x60;

// Whether a scaled value fits the record's 16-bit word the way the device reads it back.
bool fitsWord(double value, double scale, bool isSigned) {
    const double v = std::round(value * scale);
    return isSigned ? (v >= -32768 && v <= 32767) : (v >= 0 && v <= 65535);
}

// Values the record cannot hold would be stored as something else; they are refused instead.
bool recordFits(const ConfigRecord& r, const DeviceIdentity& id, const Catalogue& catalogue) {
    const bool isSigned = UsesSignedValues(id);
    const int freqDecimals =
        FrequencyDecimals(std::max(r.channels[0].inputEnd, r.channels[1].inputEnd));
    for (int c = 0; c < ChannelCount; ++c) {
        const ChannelSettings& ch = r.channels[std::size_t(c)];
        const int d = id.ModelByte == 7 ? freqDecimals : catalogue.Input(ch.inputType).Decimals;
        const double scale = std::pow(10.0, d);
        // The thermistor model stores "Res300K" as "Pt 100" with the end one decade finer.
        const bool res300K =
            id.DeviceCode == 12 && id.ModelByte == 6 && ch.inputType == input_code::Res300K;
        const double endScale = res300K ? 10.0 : 1.0;
        const bool ownRange = c == 0 || !IsSingleChannel(id);
        if (ownRange && (!fitsWord(ch.inputEnd, scale * endScale, isSigned) ||
                         !fitsWord(ch.inputStart, scale, isSigned)))
            return false;
        // Five bits hold an input code; the frequency model's input is not stored at all.
        if (ownRange && !IsFrequencyModel(id) && !res300K && ch.inputType > 31)
            return false;
        if (!fitsWord(ch.outputEnd, 1000, isSigned) || !fitsWord(ch.outputStart, 1000, isSigned))
            return false;
        const double tenths = std::round(r.offset[std::size_t(c)] * 10);
        if (tenths < -128 || tenths > 127)
            return false;
    }
    return r.filter >= -32768 && r.filter <= 65535 && r.auxFrequency >= 0 && r.auxFrequency <= 255;
}

} // namespace

QString AddressRanges(QList<int> addresses) {
    std::sort(addresses.begin(), addresses.end());
    addresses.erase(std::unique(addresses.begin(), addresses.end()), addresses.end());
    QStringList runs;
    for (qsizetype i = 0; i < addresses.size();) {
        qsizetype j = i;
        while (j + 1 < addresses.size() && addresses[j + 1] == addresses[j] + 1)
            ++j;
        runs << (j == i ? QString::number(addresses[i])
                        : QStringLiteral("%1-%2").arg(addresses[i]).arg(addresses[j]));
        i = j + 1;
    }
    return runs.join(QStringLiteral(", "));
}

ConfigEditor::ConfigEditor(EditorModel& model, DeviceLink& link, Catalogue& catalogue,
                           const Texts& texts, QObject* parent)
    : QObject(parent), m_model(model), m_link(link), m_catalogue(catalogue), m_texts(texts) {}

void ConfigEditor::stopMeasurement() {
    if (m_stopper && m_stopper())
        m_link.Delay(0.2);
}

void ConfigEditor::critical(const QString& text) {
    if (Prompter* p = m_link.prompter())
        p->ask(text, Prompter::Buttons::Ok, Prompter::Icon::Critical);
}

EditorOutcome ConfigEditor::ReadEprom() {
    const EditorOutcome outcome = read();
    Q_EMIT readFinished(outcome);
    return outcome;
}

EditorOutcome ConfigEditor::WriteEprom() {
    const EditorOutcome outcome = write();
    Q_EMIT writeFinished(outcome);
    return outcome;
}

EditorOutcome ConfigEditor::read() {
    if (m_link.busy())
        return EditorOutcome::Busy;
    stopMeasurement();

    // Everything is read before anything is shown, so a failure changes nothing; fields this
    // model does not use keep what the editor shows.
    m_identified = false;
    ReadFailure why = ReadFailure::None;
    const auto read = ReadConfiguration(m_link, m_catalogue, m_model.toRecord(), &why);
    if (why == ReadFailure::Busy)
        return EditorOutcome::Busy;
    if (why == ReadFailure::Identification)
        return EditorOutcome::CommFailed;
    m_identified = true;
    Q_EMIT deviceIdentified(m_link.identity);
    switch (why) {
    case ReadFailure::Incompatible:
        critical(m_texts.lang(70));
        return EditorOutcome::Incompatible;
    case ReadFailure::Decode:
        critical(m_texts.lang(71));
        return EditorOutcome::DataError;
    case ReadFailure::None:
        break;
    default:
        return EditorOutcome::CommFailed;
    }
    // On a switch-configured model the switches override the record where they select an input;
    // the editor notes what they set, so their banks are part of the read.
    std::optional<switches::SwitchBytes> bytes;
    if (switches::FamilyOf(read->identity.ModelByte) != switches::Family::None) {
        const QList<int> data = m_link.ReadData();
        if (m_link.lastCallRefused())
            return EditorOutcome::Busy;
        if (m_link.CommError)
            return EditorOutcome::CommFailed;
        bytes = switches::SwitchBytesFromReply(data, read->identity);
    }
    m_modelIdentifier = read->model;
    m_model.setIdentity(read->identity);
    m_model.setSwitchBytes(bytes);
    m_model.showRecord(read->record, read->mainBlock);
    return EditorOutcome::Done;
}

EditorOutcome ConfigEditor::write() {
    if (m_link.busy())
        return EditorOutcome::Busy;
    stopMeasurement();
    m_differences.clear();

    // What is not a number is refused before the device is even asked.
    const LimitChecks checks(m_model, m_texts);
    if (const QString notNumbers = checks.numbersMessage(); !notNumbers.isEmpty()) {
        if (Prompter* p = m_link.prompter())
            p->ask(notNumbers, Prompter::Buttons::Ok, Prompter::Icon::Warning);
        return EditorOutcome::DataError;
    }

    const DeviceIdentity saved = m_link.identity;
    m_link.ReadIdentity();
    if (m_link.lastCallRefused())
        return EditorOutcome::Busy;
    if (m_link.CommError)
        return EditorOutcome::CommFailed;
    const DeviceIdentity id = m_link.identity;
    const auto differs = [](const DeviceIdentity& a, const DeviceIdentity& b) {
        return a.DeviceCode != b.DeviceCode || a.ModelByte != b.ModelByte;
    };
    // First against the device that answered last: a device swapped since then is reported
    // as such, while a write after a read refused for another family meets that family again
    // and is refused for it below.
    if (differs(id, saved)) {
        m_link.identity = saved;
        critical(m_texts.lang(69));
        return EditorOutcome::DeviceChanged;
    }
    // Only family 12 keeps this record; any other would store the bytes as something else.
    if (id.DeviceCode != 12) {
        critical(m_texts.lang(70));
        return EditorOutcome::Incompatible;
    }
    // The editor's fields were composed for the device it last read in full; a device that
    // only identified itself since (its record read failed) must not receive them.
    if (differs(id, m_model.identity())) {
        m_link.identity = saved;
        critical(m_texts.lang(69));
        return EditorOutcome::DeviceChanged;
    }

    if (checks.cjcRuleViolated()) {
        if (Prompter* p = m_link.prompter())
            p->ask(checks.cjcRuleMessage(), Prompter::Buttons::Ok, Prompter::Icon::Warning);
        return EditorOutcome::WrongCjc;
    }
    for (const LimitFinding& f : checks.findings()) {
        Prompter* p = m_link.prompter();
        const Prompter::Answer a =
            p ? p->ask(f.message, Prompter::Buttons::OkCancel, Prompter::Icon::Warning)
              : Prompter::Answer::Cancel;
        if (a != Prompter::Answer::Ok)
            return EditorOutcome::Cancelled;
    }

    QStringList bad;
    const ConfigRecord record = m_model.toRecord(&bad);
    if (!bad.isEmpty() || !recordFits(record, id, m_catalogue)) {
        critical(m_texts.lang(71));
        return EditorOutcome::DataError;
    }

    // The option bytes carry bits the editor does not own (on the lettered models the variant):
    // compose them from what the device holds now, not from an older read.
    const QByteArray fresh = m_link.ReadBlock(0, kOptionBytesFirst, kOptionBytesCount);
    if (m_link.CommError || m_link.lastCallRefused())
        return EditorOutcome::CommFailed;
    QByteArray original = m_model.lastMainBlock();
    if (ModelNeedsVariantByte(id.ModelByte) && original.size() > kOptionBytesFirst &&
        (quint8(original.at(kOptionBytesFirst)) & kVariantBits) !=
            (quint8(fresh.at(0)) & kVariantBits)) {
        // Same model byte, other variant: still another device.
        m_link.identity = saved;
        critical(m_texts.lang(69));
        return EditorOutcome::DeviceChanged;
    }
    original.resize(MainBlockSize, '\0');
    original[kOptionBytesFirst] = fresh.at(0);
    original[kOptionBytesFirst + 2] = fresh.at(2);

    const WriteQueue queue = EncodeRecord(record, id, m_catalogue, original);
    m_link.WriteBlock(0, queue);
    if (m_link.lastCallRefused())
        return EditorOutcome::Busy;
    if (m_link.CommError)
        return EditorOutcome::CommFailed;
    m_lastWrite = queue;

    EditorOutcome outcome = EditorOutcome::Done;
    if (!verify(queue, &outcome))
        return outcome;

    QByteArray written = original;
    ApplyWrites(queue, &written, nullptr);
    m_model.acceptWritten(record, written);
    return EditorOutcome::Done;
}

bool ConfigEditor::verify(const WriteQueue& queue, EditorOutcome* outcome) {
    QMap<int, int> expected; // last value queued for each address
    for (const WriteItem& w : queue)
        expected.insert(w.address, w.value);
    if (expected.isEmpty())
        return true;

    // One block read per memory block, over the span written.
    const auto readBack = [&](int first, int last, QMap<int, int>* actual) {
        const QByteArray got = m_link.ReadBlock(0, first, last - first + 1);
        if (m_link.CommError || m_link.lastCallRefused())
            return false;
        for (int a = first; a <= last; ++a)
            actual->insert(a, quint8(got.at(a - first)));
        return true;
    };
    QMap<int, int> actual;
    int mainFirst = -1, mainLast = -1, extFirst = -1, extLast = -1;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        int& first = it.key() < ExtensionBlockFirst ? mainFirst : extFirst;
        int& last = it.key() < ExtensionBlockFirst ? mainLast : extLast;
        if (first < 0)
            first = it.key();
        last = it.key();
    }
    if ((mainFirst >= 0 && !readBack(mainFirst, mainLast, &actual)) ||
        (extFirst >= 0 && !readBack(extFirst, extLast, &actual))) {
        *outcome = EditorOutcome::CommFailed;
        return false;
    }
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        if (actual.value(it.key(), -1) != it.value())
            m_differences.append(it.key());
    }
    if (m_differences.isEmpty())
        return true;
    critical(m_texts.lang(68) + u'\n' +
             m_texts.lang(own::VerifyDiffers).arg(AddressRanges(m_differences)));
    *outcome = EditorOutcome::VerifyFailed;
    return false;
}

} // namespace vantelso
