#include "shellmessages.h"

#include "configeditor.h"
#include "owntexts.h"

namespace vantelso::app {

namespace {
constexpr int kPortInUse = 67;
constexpr int kCommunicationError = 68;
} // namespace

LinkTexts LinkTextsFor(const Texts& texts) {
    LinkTexts t;
    t.communicationError = texts.lang(kCommunicationError);
    t.portNotOpen = texts.lang(own::PortNotOpen);
    t.portMissing = texts.lang(own::PortMissing);
    t.portCannotOpen = texts.lang(own::PortCannotOpen);
    t.portBusy = texts.lang(own::PortBusy);
    t.portNeedsGroup = texts.lang(own::PortNeedsGroup);
    t.portPermissionDenied = texts.lang(own::PortPermissionDenied);
    t.portDisconnected = texts.lang(own::PortDisconnected);
    t.noPortChosen = texts.lang(own::NoPortChosen);
    return t;
}

QString StatusText(const PanelStatus& status, const Texts& texts) {
    using Kind = PanelStatus::Kind;
    switch (status.kind) {
    case Kind::None:
        return {};
    case Kind::Port:
        return DescribePortProblem(status.port, LinkTextsFor(texts));
    case Kind::NoAnswer:
        return status.portName.isEmpty() ? texts.lang(own::NoAnswerNoPort)
                                         : texts.lang(own::NoAnswer).arg(status.portName);
    case Kind::Saved:
        return texts.lang(own::SavedTo).arg(status.portName);
    case Kind::ReadIncomplete: {
        QString text = texts.lang(own::ReadIncomplete);
        const QString why = DescribePortProblem(status.port, LinkTextsFor(texts));
        return why.isEmpty() ? text : text + u' ' + why;
    }
    case Kind::Written:
        return texts.lang(own::WrittenVerified);
    case Kind::VerifyFailed:
        return texts.lang(own::VerifyDiffers).arg(AddressRanges(status.addresses));
    case Kind::AdapterLost:
        return DescribePortProblem(status.port, LinkTextsFor(texts)) + u' ' +
               texts.lang(own::PlugInAgain);
    case Kind::AdapterBack:
        return texts.lang(own::AdapterBack).arg(status.portName);
    case Kind::Reconnected:
        return texts.lang(own::Reconnected).arg(status.portName);
    case Kind::DeviceChanged: {
        // The device's display name in this brand, or its identifier when the brand has none.
        const auto name = [&texts](const QString& model) {
            const QString shown = texts.modelDisplayName(model);
            return shown.isEmpty() ? model : shown;
        };
        return texts.lang(own::DeviceChanged)
            .arg(status.portName, name(status.model), name(status.modelBefore));
    }
    }
    return {};
}

QString ButtonText(Prompter::Answer button, const Texts& texts) {
    using A = Prompter::Answer;
    constexpr int kSave = 54;
    switch (button) {
    case A::Ok:
        return QStringLiteral("OK");
    case A::Cancel:
        return texts.lang(own::ButtonCancel);
    case A::Retry:
        return texts.lang(own::ButtonRetry);
    case A::Abort:
        return texts.lang(own::ButtonAbort);
    case A::Ignore:
        return texts.lang(own::ButtonIgnore);
    case A::Yes:
        return texts.lang(own::ButtonYes);
    case A::No:
        return texts.lang(own::ButtonNo);
    case A::Save:
        return texts.lang(kSave);
    case A::Discard:
        return texts.lang(own::ButtonDiscard);
    }
    return {};
}

QString PortFailureMessage(const PortProblem& problem, const Texts& texts) {
    const QString detail = DescribePortProblem(problem, LinkTextsFor(texts));
    if (problem.kind != PortProblem::Kind::None && problem.kind != PortProblem::Kind::Busy)
        return detail;
    const QString inUse = texts.lang(kPortInUse);
    return detail.isEmpty() ? inUse : inUse + QStringLiteral("\n\n") + detail;
}

} // namespace vantelso::app
